#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "checks/FileTypeRegistration.h"
#include "support/FakeSeams.h"

namespace kavrel {
namespace {

using test::MemoryRegistry;
using test::RecordingLog;
using test::ScriptedDialogue;

constexpr const char* kMissing = "<missing>";
const std::string kCommand = "VESKOFILE\\SHELL\\OPEN\\COMMAND";
const std::string kIcon = "VESKOFILE\\DEFAULTICON";
const std::string kType = "VESKOFILE";

struct RegistrationCase {
    const char* name;
    std::map<std::string, std::string> keysBefore;
    std::set<std::string> denied;
    std::map<std::string, std::string> keysAfter;  // kMissing: no such key
    int systemNumber;
    std::string folder = "C:\\PROG\\";
};

TEST(RegisterFileType, Cases) {
    const std::string command = "\"C:\\PROG\\main.exe\" \"%1\"";
    const std::string icon = "\"C:\\PROG\\main.exe\"";
    const std::string jpFolder = "D:\\モルヴァン\\会計 システム\\";
    const RegistrationCase cases[] = {
        {"both extensions present, system 2", {{".QMZ", "old"}, {".OQMZ", "old"}}, {},
         {{".QMZ", "veskofile"}, {".OQMZ", "veskofile"}, {kCommand, command}, {kIcon, icon},
          {kType, "Morvane"}},
         2},
        {"only .qmz present, system 4", {{".QMZ", ""}}, {},
         {{".QMZ", "veskofile"}, {".OQMZ", kMissing}, {kType, "4"}}, 4},
        {"only .oqmz present, system 1", {{".OQMZ", ""}}, {},
         {{".QMZ", kMissing}, {".OQMZ", "veskofile"}, {kType, "Morvane"}}, 1},
        {"no extension present, system 15", {}, {},
         {{".QMZ", kMissing}, {".OQMZ", kMissing}, {kCommand, command}, {kIcon, icon},
          {kType, "15"}},
         15},
        {"system 3", {}, {}, {{kType, "Morvane"}}, 3},
        {"system 10", {}, {}, {{kType, "10"}}, 10},
        {"no system number: empty type name after the message", {{kType, "Morvane"}}, {},
         {{kCommand, command}, {kIcon, icon}, {kType, ""}}, -1},
        {"existing values are overwritten", {{kCommand, "x"}, {kIcon, "y"}, {kType, "z"}}, {},
         {{kCommand, command}, {kIcon, icon}, {kType, "5"}}, 5},
        {"denied extension key skips only itself", {{".QMZ", "old"}, {".OQMZ", "old"}},
         {".QMZ"},
         {{".QMZ", "old"}, {".OQMZ", "veskofile"}, {kCommand, command}, {kType, "Morvane"}}, 2},
        {"denied command key skips only itself", {}, {kCommand},
         {{kCommand, kMissing}, {kIcon, icon}, {kType, "6"}}, 6},
        {"denied file type: nothing below it written", {}, {kType},
         {{kCommand, kMissing}, {kIcon, kMissing}, {kType, kMissing}}, 7},
        {"doubled backslash written unchanged", {}, {},
         {{kCommand, "\"C:\\PROG\\\\main.exe\" \"%1\""}, {kIcon, "\"C:\\PROG\\\\main.exe\""}},
         8, "C:\\PROG\\\\"},
        {"Japanese folder", {}, {},
         {{kCommand, "\"" + jpFolder + "main.exe\" \"%1\""}, {kIcon, "\"" + jpFolder + "main.exe\""}},
         -1, jpFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        ScriptedDialogue user;
        RecordingLog log;
        for (const auto& [key, value] : c.keysBefore) registry.AddKey(key, value);
        registry.deniedKeys = c.denied;

        RegisterFileType(registry, user, log, c.systemNumber, c.folder);

        for (const auto& [key, value] : c.keysAfter) EXPECT_EQ(registry.ValueOf(key), value) << key;
        if (c.systemNumber == -1) {
            ASSERT_EQ(user.messages.size(), 1u);
            EXPECT_EQ(user.messages[0].text, "ｼｽﾃﾑ名称が取得できませんでした。");
            EXPECT_EQ(user.messages[0].caption, "更新エラー");
            EXPECT_EQ(user.messages[0].buttons, MessageButtons::Ok);
        } else {
            EXPECT_THAT(user.messages, ::testing::IsEmpty());
        }
        EXPECT_EQ(registry.associationNotifications, 1);
    }
}

TEST(RegisterFileType, TwiceWritesTheSameValues) {
    MemoryRegistry registry;
    ScriptedDialogue user;
    RecordingLog log;
    registry.AddKey(".qmz");
    RegisterFileType(registry, user, log, 12, "C:\\PROG\\");
    const auto first = registry.keys;
    RegisterFileType(registry, user, log, 12, "C:\\PROG\\");
    EXPECT_EQ(registry.keys, first);
    EXPECT_EQ(first.size(), 6u);  // .QMZ, VESKOFILE, SHELL, SHELL\OPEN, ...\COMMAND, DEFAULTICON
}

}  // namespace
}  // namespace kavrel
