// kavrel-pack check on media laid out by hand from the demo's archives: a sound medium
// passes, and each fault is found and named by its info.txt line; the medium is only read.
#include <gtest/gtest.h>

#include "pack/MediumCheck.h"
#include "pack/MediumShow.h"
#include "platform/Text.h"
#include "tests/pack/PackSupport.h"
#include "tests/support/StoredArchive.h"

namespace kavrel::pack {
namespace {

using test::Messages;
using test::WriteText;

const std::string kDemo = KAVREL_SOURCE_DIR "/demo/medium/";

std::vector<std::string> Fixed() {
    std::vector<std::string> lines(41);
    lines[0] = "モルベーン 更新";
    lines[15] = "E:\\MORVANE\\";
    lines[16] = "V6.1";
    lines[17] = "0";
    lines[18] = "NULL";
    lines[24] = "一行目\t-二行目";
    for (int i = 0; i < 15; ++i) lines[26 + i] = "MORVANE" + std::to_string(10 + i);
    return lines;
}

std::string Cp932Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& l : lines) {
        std::string cp;
        EXPECT_TRUE(Utf8ToCp932(l, cp)) << l;
        bytes += cp + "\r\n";
    }
    return bytes;
}

class MediumCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp_.Ok()); }

    std::string Disk(int n) const { return temp_.Path() + "/set/disk" + std::to_string(n); }
    std::string Folder() const { return temp_.Path() + "/one"; }

    void Copy(const std::string& demoName, const std::string& to) {
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(kDemo + demoName, bytes)) << demoName;
        WriteText(to, bytes);
    }
    // A one-folder medium with the demo's items, all on disk 1.
    void LayOutFolder(std::vector<std::string> lines) {
        WriteText(Folder() + "/info.txt", Cp932Lines(lines));
        for (const char* f : {"PROG.lzh", "DATA.lzh", "README.TXT"}) Copy(f, Folder() + "/" + f);
        for (int s = 10; s <= 24; ++s) Copy("START12.lzh", Folder() + "/START" + std::to_string(s - 9) + ".lzh");
    }
    std::vector<std::string> FolderLines() {
        auto lines = Fixed();
        for (const char* item : {"1,1,PROG,BIN\\", "1,1,DATA,DATA\\", "1,1,START,BIN\\", "1,0,README.TXT,.\\"}) {
            lines.push_back(item);
        }
        return lines;
    }

    std::string Check(const std::string& medium, Diagnostics& diags, const std::string& media = "") {
        CheckOptions options;
        options.media = media;
        result_ = CheckMedium(medium, options, diags);
        return Messages(diags);
    }

    TemporaryFolder temp_;
    CheckResult result_;
};

TEST_F(MediumCheckTest, ASoundFolderMediumIsCleanAndUnchanged) {
    LayOutFolder(FolderLines());
    std::vector<std::string> before;
    ASSERT_TRUE(ListFilesBelow(Folder(), before));
    Diagnostics diags;
    EXPECT_EQ(Check(Folder(), diags), "");
    EXPECT_EQ(ExitCodeFor(diags), kExitClean);
    EXPECT_EQ(result_.items, 4);
    EXPECT_EQ(result_.archivesTested, 2 + 15) << "every system's START archive is tested";
    std::vector<std::string> after;
    ASSERT_TRUE(ListFilesBelow(Folder(), after));
    EXPECT_EQ(before, after) << "check writes nothing";
}

TEST_F(MediumCheckTest, MissingItemsAreNamedByTheirLine) {
    LayOutFolder(FolderLines());
    ASSERT_TRUE(std::filesystem::remove(PathOf(Folder() + "/DATA.lzh")));
    ASSERT_TRUE(std::filesystem::remove(PathOf(Folder() + "/START7.lzh")));
    Diagnostics diags;
    const std::string out = Check(Folder(), diags);
    EXPECT_NE(out.find("info.txt:43: error: DATA.lzh is not on disk 1"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:44: error: START7.lzh is not on disk 1"), std::string::npos) << out;
    EXPECT_EQ(ExitCodeFor(diags), kExitErrors);
}

// An item whose file-name part is START before its extension is a per-system archive,
// for the check as for the update run: START.X needs START.X<n>.lzh for every named system.
TEST_F(MediumCheckTest, APerSystemArchiveWithAnExtensionIsCheckedAsTheRunInstallsIt) {
    auto lines = Fixed();
    lines.push_back("1,1,START.X,BIN\\");
    WriteText(Folder() + "/info.txt", Cp932Lines(lines));
    for (int s = 1; s <= 15; ++s) Copy("START12.lzh", Folder() + "/START.X" + std::to_string(s) + ".lzh");
    Diagnostics diags;
    EXPECT_EQ(Check(Folder(), diags), "");
    EXPECT_EQ(result_.archivesTested, 15);
}

TEST_F(MediumCheckTest, ADamagedArchiveFailsItsFullTest) {
    LayOutFolder(FolderLines());
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(Folder() + "/DATA.lzh", bytes));
    bytes[bytes.size() / 2] ^= 0x5A;  // inside the compressed data
    WriteText(Folder() + "/DATA.lzh", bytes);
    Diagnostics diags;
    const std::string out = Check(Folder(), diags);
    EXPECT_NE(out.find("info.txt:43: error: DATA.lzh fails its full test"), std::string::npos) << out;
}

// The customer's run would refuse it before any change: so does the check.
TEST_F(MediumCheckTest, AnEntryNameWindowsCannotCreateFailsTheTest) {
    LayOutFolder(FolderLines());
    WriteText(Folder() + "/DATA.lzh",
              kavrel::test::MakeStoredArchive({{"ONE.DAT", "one"}, {"TWO.DAT", "two"}, {"CON.INI", "[x]"}}).bytes);
    Diagnostics diags;
    const std::string out = Check(Folder(), diags);
    EXPECT_NE(out.find("info.txt:43: error: DATA.lzh fails its full test"), std::string::npos) << out;
    EXPECT_NE(out.find("CON.INI"), std::string::npos) << out;
}

TEST_F(MediumCheckTest, TextFaultsOfTheFileAreReportedWithTheirLines) {
    auto lines = FolderLines();
    lines[16] = "V7";
    lines[18] = "null";
    lines[21] = "missing.bmp";
    lines.push_back("");  // a stray empty last line
    LayOutFolder(lines);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(Folder() + "/info.txt", bytes));
    // Line 25 saved as UTF-8 by a modern editor.
    std::string notes;
    ASSERT_TRUE(Utf8ToCp932(Fixed()[24], notes));
    const auto start = bytes.find(notes);
    ASSERT_NE(start, std::string::npos);
    bytes.replace(start, notes.size(), Fixed()[24]);
    WriteText(Folder() + "/info.txt", bytes);
    Diagnostics diags;
    const std::string out = Check(Folder(), diags);
    EXPECT_NE(out.find("info.txt:17: error: target version \"V7\" can match no installation"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:19: warning: settings file \"null\" is a file name"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:22: warning: artwork missing.bmp is not on disk 1"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:25: error: saved as UTF-8"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:46: error: an empty last line"), std::string::npos) << out;
}

TEST_F(MediumCheckTest, MoreThanAHundredItemsAreAnError) {
    auto lines = Fixed();
    for (int i = 0; i < 101; ++i) lines.push_back("1,0,README.TXT,DOC\\");
    LayOutFolder(lines);
    Diagnostics diags;
    const std::string out = Check(Folder(), diags);
    EXPECT_NE(out.find("info.txt:142: error: more than 100 items"), std::string::npos) << out;
}

TEST_F(MediumCheckTest, DiskNumbersMustMatchTheSet) {
    auto lines = Fixed();
    for (const char* item : {"1,1,PROG,BIN\\", "2,1,DATA,DATA\\", "1,0,README.TXT,DOC\\", "3,1,HELP,HELP\\"}) {
        lines.push_back(item);
    }
    WriteText(Disk(1) + "/info.txt", Cp932Lines(lines));
    Copy("PROG.lzh", Disk(1) + "/PROG.lzh");
    Copy("README.TXT", Disk(1) + "/README.TXT");
    Copy("DATA.lzh", Disk(1) + "/DATA.lzh");  // on the wrong disk
    Copy("HELP.lzh", Disk(2) + "/HELP.lzh");
    Diagnostics diags;
    const std::string out = Check(Disk(1), diags);
    EXPECT_EQ(result_.disks, 2);
    EXPECT_NE(out.find("info.txt:43: error: DATA.lzh is not on disk 2"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:44: error: a disk-1 item after an item of disk 2"), std::string::npos) << out;
    EXPECT_NE(out.find("info.txt:45: error: Kavrel would ask for disk 3, which the set of 2 does not have"),
              std::string::npos) << out;
    // The same set found from its parent folder.
    Diagnostics again;
    EXPECT_EQ(Check(temp_.Path() + "/set", again), out);
}

TEST_F(MediumCheckTest, NamesOnTwoDisksAndOverfullDisksAreErrors) {
    auto lines = Fixed();
    lines.push_back("1,1,PROG,BIN\\");
    lines.push_back("2,0,BIG.BIN,BIN\\");
    WriteText(Disk(1) + "/info.txt", Cp932Lines(lines));
    Copy("PROG.lzh", Disk(1) + "/PROG.lzh");
    Copy("PROG.lzh", Disk(2) + "/prog.lzh");
    WriteText(Disk(2) + "/BIG.BIN", std::string(730112, 'x'));
    Diagnostics diags;
    const std::string out = Check(Disk(1), diags, "floppy-720");
    EXPECT_NE(out.find("prog.lzh is on disk 1 and on disk 2"), std::string::npos) << out;
    EXPECT_NE(out.find("error: disk 2 needs 731136 bytes"), std::string::npos) << out;
    Diagnostics roomy;
    EXPECT_EQ(Check(Disk(1), roomy, "folder").find("needs"), std::string::npos);
}

TEST_F(MediumCheckTest, NoInfoFileIsAnError) {
    Diagnostics diags;
    Check(temp_.Path(), diags);
    EXPECT_EQ(ExitCodeFor(diags), kExitErrors);
}

TEST_F(MediumCheckTest, ShowPrintsTheNotesAsThePageShowsThem) {
    LayOutFolder(FolderLines());
    std::string text, error;
    ASSERT_TRUE(ShowMedium(Folder(), text, error)) << error;
    EXPECT_NE(text.find("  | 一行目\n  | 二行目\n"), std::string::npos) << text;
    EXPECT_NE(text.find("title (1)                 モルベーン 更新"), std::string::npos) << text;
    EXPECT_NE(text.find("    44     1  archive  START.lzh  ->  BIN\\"), std::string::npos) << text;
    EXPECT_NE(text.find("-> アップデート"), std::string::npos) << text;
    EXPECT_FALSE(ShowMedium(temp_.Path(), text, error));
}

}  // namespace
}  // namespace kavrel::pack
