// Archive items: the command line handed to the library, per-system archives, the
// library's failure text, and the refusals before the call.
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

TEST_F(UpdateRunTest, CommandLineBytes) {
    InstallAt("C:\\表示\\");
    AddItem(1, kArchive, "PROG\\DATA1", "BIN\\");
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(Extractions().size(), 1u);
    // Code page 932 throughout: 表 keeps its second byte 0x5C.
    EXPECT_EQ(Extractions()[0],
              "e -mcwC:\\\x95\x5C\x8E\xA6\\\\~Kavrel \"D:\\MEDIUM\\PROG\\DATA1\" \"C:\\\x95\x5C\x8E\xA6\\\\BIN\\\"");
    EXPECT_TRUE(files.HasFolder("C:\\表示\\BIN"));
}

struct SystemArchive {
    std::string name;
    std::string extended;
};

class SystemArchiveTest : public UpdateRunTest, public ::testing::WithParamInterface<SystemArchive> {};

TEST_P(SystemArchiveTest, NameGetsTheSystemNumber) {
    AddItem(1, kArchive, GetParam().name, "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(desc.m_items[0].name, GetParam().name);
    ASSERT_EQ(Extractions().size(), 1u);
    EXPECT_EQ(Extractions()[0],
              "e -mcwC:\\PROG\\\\~Kavrel \"D:\\MEDIUM\\" + GetParam().extended + "\" \"C:\\PROG\\\\\"");
}

INSTANTIATE_TEST_SUITE_P(Names, SystemArchiveTest,
                         ::testing::Values(SystemArchive{"START", "START12"},
                                           SystemArchive{"SUB\\START", "SUB\\START12"},
                                           SystemArchive{"STARTER", "STARTER"},
                                           SystemArchive{"RESTART", "RESTART"}));

// The extended name belongs to the run that made it: a user sent back after the START
// archive went in, who then picks an installation of another system, gets that system's.
TEST_F(UpdateRunTest, ARunAfterARefusalExtractsTheArchiveOfItsOwnSystem) {
    UseRemovableMedium();
    AddItem(1, kArchive, "START", "", false);
    files.AddFile(source + "START12.lzh");
    files.AddFile(source + "START5.lzh");
    AddItem(2, kFile, "B.TXT", "");
    files.AddFile("C:\\PROG\\B.TXT");
    files.filesInUse = {"C:\\PROG\\B.TXT"};
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(Extractions().size(), 1u);

    user.waitCursorsBegun = 0;
    files.AddFile("D:\\OTHER\\main.exe", "MZ");
    files.AddFile("D:\\OTHER\\ConfigData.xml", "<Version>V6.1</Version>\n");
    files.AddFile("D:\\OTHER\\SYS05.ico", "icon");
    desc.m_strDestFolder = "D:\\OTHER\\";
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(Extractions().size(), 2u);
    EXPECT_THAT(Extractions()[1], ::testing::HasSubstr("\"F:\\DISK\\START5\""));
}

TEST_F(UpdateRunTest, SystemArchiveWithoutSystemSendsTheUserBack) {
    files.Remove("C:\\PROG\\SYS12.ico");
    AddItem(1, kArchive, "A", "");
    AddItem(1, kFile, "B.TXT", "");
    AddItem(1, kArchive, "C", "");
    AddItem(1, kFile, "D.TXT", "");
    AddItem(1, kArchive, "START", "");
    AddItem(1, kArchive, "AFTER", "");
    EXPECT_EQ(Run(), 0);
    // Known at the installation check: refused before the registration and every item,
    // so the missing name is reported once.
    EXPECT_EQ(outcome, RunOutcome::NoSystemName);
    ExpectOnlyMessage(kM6, "更新エラー");
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_FALSE(files.HasFile("C:\\PROG\\B.TXT"));
    EXPECT_EQ(desc.m_items[4].name, "START");
}

struct LibraryFailure {
    const char* name;
    std::string output;  // code page 932, as the library writes it
    std::string shown;
};

class LibraryFailureTest : public UpdateRunTest, public ::testing::WithParamInterface<LibraryFailure> {};

TEST_P(LibraryFailureTest, ShowsTheLibraryTextBeforeAnythingChanges) {
    AddItem(1, kArchive, "A", "");
    AddItem(1, kArchive, "B", "");
    AddItem(1, kArchive, "C", "");
    archives.onArchiveCommand = [&](const std::string& line, std::string& output) {
        if (line.find("MEDIUM\\B\"") == std::string::npos) return 0;
        output = GetParam().output;
        return 1;
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::ArchiveFailed);
    ExpectOnlyMessage(GetParam().shown, "確認");
    // Found by the full test of every archive: nothing registered, nothing extracted.
    EXPECT_EQ(archives.Commands('t').size(), 2u);
    EXPECT_TRUE(Extractions().empty());
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_TRUE(archives.entry6Calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LibraryFailureTest,
    ::testing::Values(
        LibraryFailure{"Japanese", "\x8F\x91\x8C\xC9\x82\xAA\x89\xF3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7",
                       "書庫が壊れています"},
        LibraryFailure{"Ascii", "Archive not found", "Archive not found"},
        LibraryFailure{"Nothing", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, ArchiveMissingOnAFixedMediumIsLeftToTheLibrary) {
    AddItem(2, kArchive, "GONE", "", false);
    archives.onArchiveCommand = [](const std::string&, std::string& output) {
        output = "no archive";
        return 0x8006;
    };
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("no archive", "確認");
    EXPECT_TRUE(registry.keys.empty());
}

// Folders may be chosen in any script, but the library reads code page 932 only: the
// user hears of it before anything changes, and may choose another folder.
TEST_F(UpdateRunTest, FolderOutsideCodePage932IsRefusedBeforeAnythingChanges) {
    InstallAt("C:\\데이터\\");
    AddItem(1, kFile, "FIRST.TXT", "");
    AddItem(1, kArchive, "A", "SUB\\");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(outcome, RunOutcome::FolderNotExpressible);
    ExpectOnlyMessage("インストール先のフォルダー名に使用できない文字が含まれています。\n"
                      "別のフォルダーを選んでください。\nC:\\데이터\\\\",
                      "エラー");
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_FALSE(files.HasFile("C:\\데이터\\FIRST.TXT"));
}

struct MediumProblem {
    const char* name;
    std::string windowsDirectory;
    std::string medium;
};

class MediumProblemTest : public UpdateRunTest, public ::testing::WithParamInterface<MediumProblem> {};

// Another installation folder cannot help when the medium's own path is the trouble.
TEST_P(MediumProblemTest, TellsToCopyTheMediumAndEnds) {
    machine.windowsDirectory = GetParam().windowsDirectory;
    source = GetParam().medium;
    files.AddFolder(source);
    AddItem(1, kFile, "FIRST.TXT", "");
    AddItem(1, kArchive, "A", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::MediumUnusable);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].caption, "エラー");
    EXPECT_THAT(user.messages[0].text, AllOf(HasSubstr("C:\\UPDATE"), HasSubstr(source + "A.lzh")));
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_FALSE(files.HasFile("C:\\PROG\\FIRST.TXT"));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MediumProblemTest,
    ::testing::Values(MediumProblem{"WindowsFolderName", "C:\\윈도우", "D:\\MEDIUM\\"},
                      MediumProblem{"MediumFolderName", "C:\\WINDOWS", "D:\\업데이트\\"},
                      MediumProblem{"MediumFolderLength", "C:\\WINDOWS", "D:\\" + std::string(240, 'M') + "\\"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, CommandLineUpTo255BytesOnly) {
    // e -mcwC:\PROG\\~Kavrel "D:\MEDIUM\A" "C:\PROG\\<sub>" is 48 bytes around the sub-folder.
    const std::string fits(255 - 48, 'S');
    AddItem(1, kArchive, "A", fits);
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(Extractions().size(), 1u);
    EXPECT_EQ(Extractions()[0].size(), 255u);
}

// One byte over: a shorter installation folder would do, so the user may choose one.
TEST_F(UpdateRunTest, CommandLineOneByteTooLongSendsTheUserBack) {
    const std::string fits(255 - 48, 'S');
    AddItem(1, kFile, "FIRST.TXT", "");
    AddItem(1, kArchive, "A", fits + "T");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(outcome, RunOutcome::FolderTooLong);
    ExpectOnlyMessage("インストール先のフォルダー名が長すぎます。\n短い名前のフォルダーを選んでください。\nC:\\PROG\\\\",
                      "エラー");
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_FALSE(files.HasFile("C:\\PROG\\FIRST.TXT"));
}

TEST_F(UpdateRunTest, LongJapaneseFolderCountsInCodePage932Bytes) {
    // 100 characters: 300 bytes in UTF-8, 200 in code page 932.
    std::string sub;
    for (int i = 0; i < 100; ++i) sub += "表";
    AddItem(1, kArchive, "A", sub);
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(Extractions().size(), 1u);
    EXPECT_EQ(Extractions()[0].size(), 248u);
}

}  // namespace
}  // namespace kavrel::test
