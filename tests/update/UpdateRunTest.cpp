// The run's checks before any item: refusals, the settings-file probe, registration and
// the archive library's set-up.
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

TEST_F(UpdateRunTest, EmptyItemListStillRegistersAndSetsUpTheLibrary) {
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(kM10, "確認");
    EXPECT_EQ(archives.entry6Calls, std::vector<int>{0});
    EXPECT_EQ(archives.entry8Calls, std::vector<int>{1});
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_EQ(desc.m_nSystemNumber, 12);
    EXPECT_EQ(registry.ValueOf("veskofile"), "12");
    EXPECT_EQ(registry.ValueOf("veskofile\\shell\\open\\command"), "\"C:\\PROG\\\\main.exe\" \"%1\"");
}

// The administrator's check on an update that would apply: the items on the disk in the
// drive are tested and logged with what they bring where, a later disk is not asked
// for, and nothing is written.
TEST_F(UpdateRunTest, CheckOfAGoodUpdateChangesNothingAndSaysWhatTheRunWouldDo) {
    UseRemovableMedium();
    mode = RunMode::Check;
    AddItem(1, kArchive, "A", "BIN\\");
    AddItem(1, kFile, "B.TXT", "");
    AddItem(2, kArchive, "C", "");
    archives.archiveEntries["F:\\DISK\\A"] = {"sub/PROG.DAT", "PROG.INI"};
    files.freeBytes = 1000;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::Completed);
    ExpectOnlyMessage("この更新は適用できます。\n（確認のみ: 何も変更していません）", "確認");
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_EQ(registry.associationNotifications, 0);
    EXPECT_THAT(archives.archiveCommands, ::testing::ElementsAre(StartsWith("t ")));
    EXPECT_TRUE(archives.entry6Calls.empty());
    EXPECT_FALSE(files.HasFolder("C:\\PROG\\BIN"));
    EXPECT_FALSE(files.HasFile("C:\\PROG\\B.TXT"));
    EXPECT_THAT(log.events, ::testing::IsSupersetOf({
        "archive F:\\DISK\\A.lzh tested: 2 entries decoded and checked, 20 bytes for C:\\PROG\\\\BIN\\",
        "file F:\\DISK\\B.TXT: 13 bytes for C:\\PROG\\\\B.TXT", "item 3: on disk 2, not checked"}));
}

struct Refusal {
    const char* name;
    void (*breakInstallation)(TestSeams&, UpdateDescription&);
    std::string text;
};

class RefusalTest : public UpdateRunTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, RefusedBeforeAnythingIsTouched) {
    AddItem(1, kArchive, "DATA1", "DATA\\");
    GetParam().breakInstallation(seams, desc);
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(GetParam().text, "エラー");
    EXPECT_TRUE(archives.entry6Calls.empty());
    EXPECT_TRUE(archives.entry8Calls.empty());
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_FALSE(files.HasFolder("C:\\PROG\\DATA"));
}

INSTANTIATE_TEST_SUITE_P(
    Checks, RefusalTest,
    ::testing::Values(
        Refusal{"SettingsInZavure",
                [](TestSeams& p, UpdateDescription&) { p.files.AddFile("C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"); },
                kM1},
        Refusal{"OldProductWithoutSettings",
                [](TestSeams&, UpdateDescription& d) { d.m_strTargetVersion = "V5.0 L01"; }, kM1},
        Refusal{"NoMainProgram", [](TestSeams& p, UpdateDescription&) { p.files.Remove("C:\\PROG\\main.exe"); },
                kM2},
        Refusal{"FolderMissing",
                [](TestSeams&, UpdateDescription& d) { d.m_strDestFolder = "C:\\NOWHERE\\"; }, kM2},
        Refusal{"OtherVersionInstalled",
                [](TestSeams& p, UpdateDescription&) {
                    p.files.AddFile("C:\\PROG\\ConfigData.xml", "<Version>V6.2</Version>\n");
                },
                kM2},
        Refusal{"NoConfigData",
                [](TestSeams& p, UpdateDescription&) { p.files.Remove("C:\\PROG\\ConfigData.xml"); }, kM2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, DamagedDescriptionEndsTheProgramBeforeAnythingIsTouched) {
    AddItem(1, kArchive, "DATA1", "DATA\\");
    desc.m_bDamaged = true;
    EXPECT_EQ(Run(), 1) << "another folder cannot help";
    EXPECT_EQ(ExitCodeFor(outcome), ExitCode::NoDescription);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].caption, "エラー");
    EXPECT_THAT(user.messages[0].text, AllOf(HasSubstr("info.txt が壊れています"), HasSubstr("D:\\MEDIUM\\info.txt")));
    EXPECT_TRUE(archives.entry6Calls.empty());
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_EQ(desc.m_nSystemNumber, -1) << "the installation is not even looked at";
}

TEST_F(UpdateRunTest, OldProductAcceptedWithSettingsInEmst) {
    desc.m_strTargetVersion = "V5.0 L01";
    files.AddFile("C:\\PROG\\emst\\07\\pemsoa1.ini");
    // The version gate accepts only V6.1, V6.2 and V8, so the old product ends there.
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(kM2, "エラー");
}

struct Probe {
    const char* name;
    std::vector<std::string> settingsPresent;  // in C:\PROG\ZAVURE\Ges
    int result;
    std::string settingsAfter;
};

class ProbeTest : public UpdateRunTest, public ::testing::WithParamInterface<Probe> {};

TEST_P(ProbeTest, NullProbesBothNamesAndKeepsTheLastTried) {
    desc.m_strSettingsFile = "NULL";
    for (const auto& name : GetParam().settingsPresent) files.AddFile("C:\\PROG\\ZAVURE\\Ges\\" + name);
    EXPECT_EQ(Run(), GetParam().result);
    EXPECT_EQ(desc.m_strSettingsFile, GetParam().settingsAfter);
    ExpectOnlyMessage(GetParam().result == 1 ? kM10 : kM1, GetParam().result == 1 ? "確認" : "エラー");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ProbeTest,
    ::testing::Values(Probe{"FirstAccepted", {}, 1, "pemsoa1.ini"},
                      Probe{"SecondAccepted", {"pemsoa1.ini"}, 1, "tirvelo1.ini"},
                      Probe{"OnlySecondPresent", {"tirvelo1.ini"}, 1, "pemsoa1.ini"},
                      Probe{"BothRefused", {"pemsoa1.ini", "tirvelo1.ini"}, 0, "tirvelo1.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, LowerCaseNullIsAFileName) {
    desc.m_strSettingsFile = "null";
    files.AddFile("C:\\PROG\\ZAVURE\\Ges\\null");
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(kM1, "エラー");
    EXPECT_EQ(desc.m_strSettingsFile, "null");
}

TEST_F(UpdateRunTest, AcceptedNameIsKeptAfterALaterRefusalAndNotProbedAgain) {
    desc.m_strSettingsFile = "NULL";
    files.Remove("C:\\PROG\\main.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(desc.m_strSettingsFile, "pemsoa1.ini");
    ExpectOnlyMessage(kM2, "エラー");

    // Second run: only the kept name is tried, although tirvelo1.ini would be accepted.
    user.messages.clear();
    user.waitCursorsBegun = 0;
    files.AddFile("C:\\PROG\\main.exe");
    files.AddFile("C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini");
    EXPECT_EQ(Run(), 0);
    ExpectOnlyMessage(kM1, "エラー");
    EXPECT_EQ(desc.m_strSettingsFile, "pemsoa1.ini");
}

TEST_F(UpdateRunTest, NoSystemNameWithoutStartArchiveInstallsEverything) {
    files.Remove("C:\\PROG\\SYS12.ico");
    AddItem(1, kArchive, "DATA1", "");
    EXPECT_EQ(Run(), 1);
    // Registration reports the missing name once; the run does not repeat it.
    EXPECT_EQ(Texts(), (std::vector<std::string>{kM6, kM10}));
    EXPECT_EQ(user.messages[0].caption, "更新エラー");
    EXPECT_EQ(desc.m_nSystemNumber, -1);
    EXPECT_EQ(Extractions().size(), 1u);
}

TEST_F(UpdateRunTest, WindowsDirectoryOfAnyLength) {
    machine.windowsDirectory = "C:\\" + std::string(150, 'W');
    AddItem(1, kArchive, "A", "");
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(Extractions().size(), 1u);
    // The Windows directory is the test's work folder; extraction stages in the installation.
    EXPECT_EQ(archives.Commands('t')[0], "t -mcw" + machine.windowsDirectory + " \"D:\\MEDIUM\\A\"");
    EXPECT_EQ(Extractions()[0], "e -mcwC:\\PROG\\\\~Kavrel \"D:\\MEDIUM\\A\" \"C:\\PROG\\\\\"");
}

}  // namespace
}  // namespace kavrel::test
