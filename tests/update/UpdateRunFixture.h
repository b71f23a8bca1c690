// A scripted installation and medium for the update run: installation C:\PROG\ at
// version V6.1 with the icon SYS12.ico (system 12), the medium in D:\MEDIUM\ (fixed) or
// F:\DISK\ (removable).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeSeams.h"
#include "update/UpdateRun.h"

namespace kavrel::test {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;

inline const std::string kM1 = "インストール先が正しくありません。";
inline const std::string kM2 = "このバージョンへの更新はできません。";
inline const std::string kM5 = "ｱｯﾌﾟﾃﾞｲﾄを取消しました。";
inline const std::string kM6 = "ｼｽﾃﾑ名称が取得できませんでした。";
inline const std::string kM10 = "システムは正常に更新されました。";
inline std::string M4(int disk) { return std::to_string(disk) + " 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。"; }

class UpdateRunTest : public ::testing::Test {
protected:
    static constexpr ItemKind kArchive = ItemKind::Archive, kFile = ItemKind::PlainFile;
    TestSeams seams;
    MemoryFiles& files = seams.files;
    MemoryRegistry& registry = seams.registry;
    ScriptedDialogue& user = seams.user;
    RecordingLog& log = seams.log;
    ScriptedArchives& archives = seams.archives;
    FakeMachine& machine = seams.machine;
    UpdateDescription desc;
    std::string source = "D:\\MEDIUM\\";
    // The wait-cursor count seen by each message box, in order.
    std::vector<int> cursorAtMessage;

    // An installation the checks accept, as system 12, chosen as the destination.
    void InstallAt(const std::string& folder) {
        files.AddFile(folder + "main.exe", "MZ");
        files.AddFile(folder + "ConfigData.xml", "<Config>\r\n  <Version>V6.1</Version>\r\n</Config>\r\n");
        files.AddFile(folder + "SYS12.ico", "icon");
        desc.m_strDestFolder = folder;
    }

    void SetUp() override {
        InstallAt("C:\\PROG\\");
        files.AddFolder(source);
        desc.m_strSettingsFile = "pemsoa1.ini";
        desc.m_strTargetVersion = "V6.1";
        for (int i = 0; i < kSystemCount; ++i) {
            desc.m_strSystemName[i] = (i < 9 ? "SYS0" : "SYS") + std::to_string(i + 1);
        }
        user.onMessage = [this](const ScriptedDialogue::Message&) {
            cursorAtMessage.push_back(user.waitCursorsActive);
        };
    }

    void TearDown() override {
        // The cursor is held through every message box and released on every path.
        EXPECT_EQ(user.waitCursorsActive, 0);
        EXPECT_EQ(user.waitCursorsBegun, 1);
        for (int active : cursorAtMessage) EXPECT_EQ(active, 1);
    }

    void UseRemovableMedium() {
        source = "F:\\DISK\\";
        files.AddFolder(source);
        files.removablePrefixes = {"F:"};
    }

    // Adds an item line, and its file on the medium unless `onMedium` is false.
    void AddItem(int disk, ItemKind kind, const std::string& name, const std::string& subfolder,
                 bool onMedium = true) {
        desc.m_items.push_back({disk, kind, name, subfolder});
        if (onMedium) files.AddFile(source + name + (kind == ItemKind::Archive ? ".lzh" : ""), "data of " + name);
    }

    MediumState medium;
    RunMode mode = RunMode::Install;
    RunOutcome outcome = RunOutcome::Completed;
    int Run() {
        outcome = RunUpdate(seams.Run(), desc, source, medium, mode);
        return RunResult(outcome);
    }

    // The extraction command lines handed to the library (tests left out).
    std::vector<std::string> Extractions() const { return archives.Commands('e'); }
    std::vector<std::string> Texts() const { return user.Texts(); }
    // The one message of the run, with its caption and a single OK button.
    void ExpectOnlyMessage(const std::string& text, const std::string& caption) {
        ASSERT_EQ(user.messages.size(), 1u) << ::testing::PrintToString(Texts());
        EXPECT_EQ(user.messages[0].text, text);
        EXPECT_EQ(user.messages[0].caption, caption);
        EXPECT_EQ(user.messages[0].buttons, MessageButtons::Ok);
    }
};

}  // namespace kavrel::test
