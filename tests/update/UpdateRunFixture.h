// A scripted installation and medium for the update run: installation C:\PROG\ at
// version V6.1 with the icon SYS12.ico (system 12), the medium in D:\MEDIUM\ (fixed) or
// F:\DISK\ (removable).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestPlatform.h"
#include "update/UpdateRun.h"

namespace kavrel::test {

inline const std::string kM1 = "インストール先が正しくありません。";
inline const std::string kM2 = "このバージョンへの更新はできません。";
inline const std::string kM5 = "ｱｯﾌﾟﾃﾞｲﾄを取消しました。";
inline const std::string kM6 = "ｼｽﾃﾑ名称が取得できませんでした。";
inline const std::string kM10 = "システムは正常に更新されました。";
inline std::string M4(int disk) { return std::to_string(disk) + " 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。"; }

class UpdateRunTest : public ::testing::Test {
protected:
    TestPlatform p;
    UpdateDescription desc;
    std::string source = "D:\\MEDIUM\\";
    // The wait-cursor count seen by each message box, in order.
    std::vector<int> cursorAtMessage;

    // An installation the checks accept, as system 12, chosen as the destination.
    void InstallAt(const std::string& folder) {
        p.AddFile(folder + "main.exe", "MZ");
        p.AddFile(folder + "ConfigData.xml", "<Config>\r\n  <Version>V6.1</Version>\r\n</Config>\r\n");
        p.AddFile(folder + "SYS12.ico", "icon");
        desc.m_strDestFolder = folder;
    }

    void SetUp() override {
        InstallAt("C:\\PROG\\");
        p.AddFolder(source);
        desc.m_strSettingsFile = "pemsoa1.ini";
        desc.m_strTargetVersion = "V6.1";
        for (int i = 0; i < kSystemCount; ++i) {
            desc.m_strSystemName[i] = (i < 9 ? "SYS0" : "SYS") + std::to_string(i + 1);
        }
        p.onMessage = [this](const TestPlatform::Message&) {
            cursorAtMessage.push_back(p.waitCursorsActive);
        };
    }

    void TearDown() override {
        // The cursor is held through every message box and released on every path.
        EXPECT_EQ(p.waitCursorsActive, 0);
        EXPECT_EQ(p.waitCursorsBegun, 1);
        for (int active : cursorAtMessage) EXPECT_EQ(active, 1);
    }

    void UseRemovableMedium() {
        source = "F:\\DISK\\";
        p.AddFolder(source);
        p.removablePrefixes = {"F:"};
    }

    // Adds an item line, and its file on the medium unless `onMedium` is false.
    void AddItem(int disk, int kind, const std::string& name, const std::string& subfolder,
                 bool onMedium = true) {
        const int i = desc.m_nItemCount++;
        desc.m_nItemDisk[i] = disk;
        desc.m_nItemKind[i] = kind;
        desc.m_strItemName[i] = name;
        desc.m_strItemSubfolder[i] = subfolder;
        if (onMedium) p.AddFile(source + name + (kind == 1 ? ".lzh" : ""), "data of " + name);
    }

    MediumState medium;
    RunOutcome outcome = RunOutcome::Completed;
    int Run() {
        outcome = RunUpdate(p, desc, source, medium);
        return RunResult(outcome);
    }

    // The extraction command lines handed to the library (tests left out).
    std::vector<std::string> Extractions() const { return p.Commands('e'); }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : p.messages) texts.push_back(m.text);
        return texts;
    }
    // The one message of the run, with its caption and a single OK button.
    void ExpectOnlyMessage(const std::string& text, const std::string& caption) {
        ASSERT_EQ(p.messages.size(), 1u) << ::testing::PrintToString(Texts());
        EXPECT_EQ(p.messages[0].text, text);
        EXPECT_EQ(p.messages[0].caption, caption);
        EXPECT_EQ(p.messages[0].buttons, MessageButtons::Ok);
    }
};

}  // namespace kavrel::test
