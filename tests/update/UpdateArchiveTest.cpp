// Archive items: the command line handed to the library, per-system archives, the
// library's failure text, and the refusals before the call.
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

TEST_F(UpdateRunTest, CommandLineBytes) {
    InstallAt("C:\\表示\\");
    AddItem(1, 1, "PROG\\DATA1", "BIN\\");
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(p.archiveCommands.size(), 1u);
    // Code page 932 throughout: 表 keeps its second byte 0x5C.
    EXPECT_EQ(p.archiveCommands[0],
              "e -mcwC:\\WINDOWS \"D:\\MEDIUM\\PROG\\DATA1\" \"C:\\\x95\x5C\x8E\xA6\\\\BIN\\\"");
    EXPECT_TRUE(p.HasFolder("C:\\表示\\BIN"));
}

struct SystemArchive {
    std::string name;
    std::string extended;
};

class SystemArchiveTest : public UpdateRunTest, public ::testing::WithParamInterface<SystemArchive> {};

TEST_P(SystemArchiveTest, NameGetsTheSystemNumber) {
    AddItem(1, 1, GetParam().name, "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(desc.m_strItemName[0], GetParam().extended);
    ASSERT_EQ(p.archiveCommands.size(), 1u);
    EXPECT_EQ(p.archiveCommands[0],
              "e -mcwC:\\WINDOWS \"D:\\MEDIUM\\" + GetParam().extended + "\" \"C:\\PROG\\\\\"");
}

INSTANTIATE_TEST_SUITE_P(Names, SystemArchiveTest,
                         ::testing::Values(SystemArchive{"START", "START12"},
                                           SystemArchive{"SUB\\START", "SUB\\START12"},
                                           SystemArchive{"STARTER", "STARTER"},
                                           SystemArchive{"RESTART", "RESTART"}));

TEST_F(UpdateRunTest, SystemArchiveWithoutSystemSendsTheUserBack) {
    p.Remove("C:\\PROG\\SYS12.ico");
    AddItem(1, 1, "A", "");
    AddItem(1, 0, "B.TXT", "");
    AddItem(1, 1, "C", "");
    AddItem(1, 0, "D.TXT", "");
    AddItem(1, 1, "START", "");
    AddItem(1, 1, "AFTER", "");
    EXPECT_EQ(Run(), 0);
    // Once from registration, once from the run.
    EXPECT_EQ(Texts(), (std::vector<std::string>{kM6, kM6}));
    EXPECT_EQ(p.messages[1].caption, "更新エラー");
    EXPECT_EQ(p.messages[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(p.archiveCommands.size(), 2u);
    EXPECT_TRUE(p.HasFile("C:\\PROG\\B.TXT"));
    EXPECT_TRUE(p.HasFile("C:\\PROG\\D.TXT"));
    EXPECT_EQ(desc.m_strItemName[4], "START");
}

struct LibraryFailure {
    const char* name;
    std::string output;  // code page 932, as the library writes it
    std::string shown;
};

class LibraryFailureTest : public UpdateRunTest, public ::testing::WithParamInterface<LibraryFailure> {};

TEST_P(LibraryFailureTest, ShowsTheLibraryTextAndStops) {
    AddItem(1, 1, "A", "");
    AddItem(1, 1, "B", "");
    AddItem(1, 1, "C", "");
    p.onArchiveCommand = [&](const std::string& line, std::string& output) {
        if (line.find("MEDIUM\\B\"") == std::string::npos) return 0;
        output = GetParam().output;
        return 1;
    };
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(GetParam().shown, "確認");
    EXPECT_EQ(p.archiveCommands.size(), 2u);
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
    AddItem(2, 1, "GONE", "", false);
    p.onArchiveCommand = [](const std::string&, std::string& output) {
        output = "no archive";
        return 0x8006;
    };
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("no archive", "確認");
}

// Folders may be chosen in any script, but the library reads code page 932 only.
TEST_F(UpdateRunTest, FolderOutsideCodePage932IsRefusedBeforeTheCall) {
    InstallAt("C:\\데이터\\");
    AddItem(1, 0, "FIRST.TXT", "");
    AddItem(1, 1, "A", "SUB\\");
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("使用できない文字が含まれているため、更新できません。\nC:\\데이터\\\\SUB\\", "確認");
    EXPECT_TRUE(p.archiveCommands.empty());
    EXPECT_TRUE(p.HasFile("C:\\데이터\\FIRST.TXT"));
}

TEST_F(UpdateRunTest, CommandLineUpTo255BytesOnly) {
    // e -mcwC:\WINDOWS "D:\MEDIUM\A" "C:\PROG\\<sub>" is 42 bytes around the sub-folder.
    const std::string fits(255 - 42, 'S');
    AddItem(1, 1, "A", fits);
    AddItem(1, 1, "A", fits + "T");
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(p.archiveCommands.size(), 1u);
    EXPECT_EQ(p.archiveCommands[0].size(), 255u);
    ExpectOnlyMessage("パスが長すぎるため、更新できません。\nD:\\MEDIUM\\A.lzh\nC:\\PROG\\\\" + fits + "T",
                      "確認");
}

TEST_F(UpdateRunTest, LongJapaneseFolderCountsInCodePage932Bytes) {
    // 100 characters: 300 bytes in UTF-8, 200 in code page 932.
    std::string sub;
    for (int i = 0; i < 100; ++i) sub += "表";
    AddItem(1, 1, "A", sub);
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(p.archiveCommands.size(), 1u);
    EXPECT_EQ(p.archiveCommands[0].size(), 242u);
}

}  // namespace
}  // namespace kavrel::test
