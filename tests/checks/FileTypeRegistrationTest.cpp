#include <gtest/gtest.h>

#include <map>

#include "checks/FileTypeRegistration.h"
#include "NumberedSystems.h"
#include "support/TestPlatform.h"

namespace kavrel {
namespace {

using test::NumberedSystems;
using test::TestPlatform;

constexpr const char* kMissing = "<missing>";
const std::string kCommand = "VESKOFILE\\SHELL\\OPEN\\COMMAND";
const std::string kIcon = "VESKOFILE\\DEFAULTICON";
const std::string kType = "VESKOFILE";

struct RegistrationCase {
    const char* name;
    std::map<std::string, std::string> keysBefore;
    std::set<std::string> denied;
    const char* icon;  // file in the folder, or nullptr
    std::map<std::string, std::string> keysAfter;  // kMissing: no such key
    int systemNumber;
    std::string folder = "C:\\PROG\\";
};

TEST(RegisterFileType, Cases) {
    const std::string command = "\"C:\\PROG\\main.exe\" \"%1\"";
    const std::string icon = "\"C:\\PROG\\main.exe\"";
    const std::string jpFolder = "D:\\モルヴァン\\会計 システム\\";
    const RegistrationCase cases[] = {
        {"both extensions present, system 2", {{".QMZ", "old"}, {".OQMZ", "old"}}, {}, "S2_.ico",
         {{".QMZ", "veskofile"}, {".OQMZ", "veskofile"}, {kCommand, command}, {kIcon, icon},
          {kType, "Morvane"}},
         2},
        {"only .qmz present, system 4", {{".QMZ", ""}}, {}, "S4_.ico",
         {{".QMZ", "veskofile"}, {".OQMZ", kMissing}, {kType, "4"}}, 4},
        {"only .oqmz present, system 1", {{".OQMZ", ""}}, {}, "S1_.ico",
         {{".QMZ", kMissing}, {".OQMZ", "veskofile"}, {kType, "Morvane"}}, 1},
        {"no extension present, system 15", {}, {}, "S15_.ico",
         {{".QMZ", kMissing}, {".OQMZ", kMissing}, {kCommand, command}, {kIcon, icon},
          {kType, "15"}},
         15},
        {"system 3", {}, {}, "S3_.ico", {{kType, "Morvane"}}, 3},
        {"system 10", {}, {}, "S10_.ico", {{kType, "10"}}, 10},
        {"no icon: empty type name after the message", {{kType, "Morvane"}}, {}, nullptr,
         {{kCommand, command}, {kIcon, icon}, {kType, ""}}, -1},
        {"existing values are overwritten", {{kCommand, "x"}, {kIcon, "y"}, {kType, "z"}}, {},
         "S5_.ico", {{kCommand, command}, {kIcon, icon}, {kType, "5"}}, 5},
        {"denied extension key skips only itself", {{".QMZ", "old"}, {".OQMZ", "old"}},
         {".QMZ"}, "S2_.ico",
         {{".QMZ", "old"}, {".OQMZ", "veskofile"}, {kCommand, command}, {kType, "Morvane"}}, 2},
        {"denied command key skips only itself", {}, {kCommand}, "S6_.ico",
         {{kCommand, kMissing}, {kIcon, icon}, {kType, "6"}}, 6},
        {"denied file type: nothing below it written", {}, {kType}, "S7_.ico",
         {{kCommand, kMissing}, {kIcon, kMissing}, {kType, kMissing}}, 7},
        {"doubled backslash written unchanged", {}, {}, "S8_.ico",
         {{kCommand, "\"C:\\PROG\\\\main.exe\" \"%1\""}, {kIcon, "\"C:\\PROG\\\\main.exe\""}},
         8, "C:\\PROG\\\\"},
        {"Japanese folder", {}, {}, nullptr,
         {{kCommand, "\"" + jpFolder + "main.exe\" \"%1\""}, {kIcon, "\"" + jpFolder + "main.exe\""}},
         -1, jpFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestPlatform platform;
        platform.AddFolder("C:\\PROG");
        platform.AddFolder(c.folder);
        if (c.icon) platform.AddFile(c.folder + c.icon);
        for (const auto& [key, value] : c.keysBefore) platform.AddKey(key, value);
        platform.deniedKeys = c.denied;
        UpdateDescription desc = NumberedSystems();

        RegisterFileType(platform, desc, c.folder);

        for (const auto& [key, value] : c.keysAfter) EXPECT_EQ(platform.KeyValue(key), value) << key;
        EXPECT_EQ(desc.m_nSystemNumber, c.systemNumber);
        if (c.systemNumber == -1) {
            ASSERT_EQ(platform.messages.size(), 1u);
            EXPECT_EQ(platform.messages[0].text, "ｼｽﾃﾑ名称が取得できませんでした。");
            EXPECT_EQ(platform.messages[0].caption, "更新エラー");
            EXPECT_EQ(platform.messages[0].buttons, MessageButtons::Ok);
        } else {
            EXPECT_TRUE(platform.messages.empty());
        }
        EXPECT_EQ(platform.associationNotifications, 1);
    }
}

TEST(RegisterFileType, TwiceWritesTheSameValues) {
    TestPlatform platform;
    platform.AddFolder("C:\\PROG");
    platform.AddFile("C:\\PROG\\S12_.ico");
    platform.AddKey(".qmz");
    UpdateDescription desc = NumberedSystems();
    RegisterFileType(platform, desc, "C:\\PROG\\");
    const auto first = platform.registry;
    RegisterFileType(platform, desc, "C:\\PROG\\");
    EXPECT_EQ(platform.registry, first);
    EXPECT_EQ(first.size(), 6u);  // .QMZ, VESKOFILE, SHELL, SHELL\OPEN, ...\COMMAND, DEFAULTICON
    EXPECT_EQ(desc.m_nSystemNumber, 12);
}

}  // namespace
}  // namespace kavrel
