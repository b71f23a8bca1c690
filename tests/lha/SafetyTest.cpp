// Nothing lost, nothing outside the destination: hostile archives of the corpus and
// archives built here with unsafe names, truncated or corrupt data and bombs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "lha/Crc16.h"
#include "lha/Extractor.h"
#include "LhaTestSupport.h"

namespace kavrel::lha {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using test::CorpusDir;
using test::ReadWhole;
using test::TempDir;
using test::Tree;
using test::WriteWhole;

Outcome RunArchive(Command command, const std::string& archive, const std::string& dest) {
    auto fs = MakePosixFileSystem();
    Request r;
    r.command = command;
    r.archive = archive;
    r.destination = dest;
    return RunRequest(*fs, r);
}

std::string Regression(const char* name) { return CorpusDir() + "/archives/regression/" + name; }

// The whole temporary folder holds nothing but `dest` and what is inside it.
void ExpectOnlyInside(const TempDir& tmp, const std::string& rel) {
    for (const std::string& p : Tree(tmp.Path())) {
        const bool inside = p.rfind("/" + rel + "/", 0) == 0;
        const bool ancestor = ("/" + rel + "/").rfind(p, 0) == 0 && p.back() == '/';
        EXPECT_TRUE(inside || ancestor || p == "/arc.lzh") << p;
    }
}

TEST(Safety, ECommandDropsStoredFoldersOfHostileArchives) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    const std::string dest = tmp / "out/dest";
    Outcome o = RunArchive(Command::Extract, Regression("abspath.lzh"), dest);
    ASSERT_TRUE(o.ok) << o.message;
    o = RunArchive(Command::Extract, Regression("dotdot.lzh"), dest);
    ASSERT_TRUE(o.ok) << o.message;
    EXPECT_EQ(Tree(dest), (std::vector<std::string>{"/absolute_path.txt", "/evil1.txt", "/evil2.txt"}));
    ExpectOnlyInside(tmp, "out/dest");
}

TEST(Safety, XCommandRefusesPathsThatLeaveTheDestination) {
    SKIP_WITHOUT_CORPUS();
    for (const char* name : {"abspath.lzh", "dotdot.lzh"}) {
        TempDir tmp;
        const std::string dest = tmp / "dest";
        const Outcome o = RunArchive(Command::ExtractWithPaths, Regression(name), dest);
        EXPECT_FALSE(o.ok) << name;
        EXPECT_NE(o.message.find("展開先フォルダの外"), std::string::npos) << o.message;
        EXPECT_TRUE(Tree(dest).empty()) << name;
        ExpectOnlyInside(tmp, "dest");
    }
}

TEST(Safety, SymbolicLinksAreNeverCreated) {
    SKIP_WITHOUT_CORPUS();
    for (const char* name : {"symlink1.lzh", "symlink2.lzh", "symlink3.lzh"}) {
        for (Command c : {Command::Extract, Command::ExtractWithPaths}) {
            TempDir tmp;
            const std::string dest = tmp / "dest";
            const Outcome o = RunArchive(c, Regression(name), dest);
            ASSERT_TRUE(o.ok) << name << ": " << o.message;
            EXPECT_EQ(o.entriesSkipped, 1) << name;
            for (const std::string& p : Tree(tmp.Path())) EXPECT_EQ(p.find('@'), std::string::npos) << p;
            ExpectOnlyInside(tmp, "dest");
        }
    }
    TempDir tmp;
    ASSERT_TRUE(RunArchive(Command::ExtractWithPaths, Regression("symlink2.lzh"), tmp / "d").ok);
    EXPECT_EQ(Tree(tmp / "d"), (std::vector<std::string>{"/etc/", "/etc/passwd"}));
}

TEST(Safety, ControlCharactersInANameFailTheArchiveBeforeWriting) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    const Outcome o = RunArchive(Command::Extract, Regression("badterm.lzh"), tmp / "dest");
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.message.find("安全でない"), std::string::npos) << o.message;
    EXPECT_NE(o.message.find("malicious"), std::string::npos) << o.message;
    EXPECT_EQ(o.message.find('\x1b'), std::string::npos);
    EXPECT_TRUE(Tree(tmp / "dest").empty());
}

TEST(Safety, XKeepsSafeFoldersWithEitherSeparator) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    ASSERT_TRUE(RunArchive(Command::ExtractWithPaths, Regression("unixsep.lzh"), tmp / "d").ok);
    ASSERT_TRUE(RunArchive(Command::ExtractWithPaths, Regression("dir.lzh"), tmp / "d").ok);
    EXPECT_EQ(Tree(tmp / "d"),
              (std::vector<std::string>{"/SUBDIR/", "/SUBDIR/SUBDIR2/", "/SUBDIR/SUBDIR2/HELLO.TXT", "/dir/"}));
}

// Archives whose second entry is unsafe: the first must not be written either.
struct BadName {
    std::string stored;
    Command command;
    const char* why;
};

TEST(Safety, UnsafeNamesFailTheWholeArchiveBeforeAnythingIsWritten) {
    const BadName cases[] = {
        {"CON", Command::Extract, "デバイス名"},
        {"dir\\nul.txt", Command::Extract, "デバイス名"},
        {"COM1", Command::Extract, "デバイス名"},
        {"lpt3.log", Command::ExtractWithPaths, "デバイス名"},
        {"x\\AUX", Command::ExtractWithPaths, "デバイス名"},
        {"name.", Command::Extract, "ピリオドか空白"},
        {"name ", Command::Extract, "ピリオドか空白"},
        {"a:b.txt", Command::Extract, "使えない文字"},
        {"stream.txt:evil", Command::Extract, "使えない文字"},
        {"what?.txt", Command::Extract, "使えない文字"},
        {"dir\\..", Command::Extract, "「.」や「..」"},
        {"dir\\", Command::Extract, "名前が空"},
        {"C:\\evil.txt", Command::ExtractWithPaths, "使えない文字"},
        {"\\\\server\\share\\evil.txt", Command::ExtractWithPaths, "外"},
        {"\\evil.txt", Command::ExtractWithPaths, "外"},
        {"a\\..\\..\\evil.txt", Command::ExtractWithPaths, "外"},
        {"CON\\x.txt", Command::ExtractWithPaths, "デバイス名"},
        {"a.\\x.txt", Command::ExtractWithPaths, "ピリオドか空白"},
    };
    for (const BadName& c : cases) {
        TempDir tmp;
        const std::string archive = test::StoredEntry("good.txt", "good") + test::StoredEntry(c.stored, "bad") +
                                    std::string(1, '\0');
        WriteWhole(tmp / "arc.lzh", archive);
        const Outcome o = RunArchive(c.command, tmp / "arc.lzh", tmp / "dest");
        EXPECT_FALSE(o.ok) << c.stored;
        EXPECT_NE(o.message.find(c.why), std::string::npos) << c.stored << ": " << o.message;
        EXPECT_TRUE(Tree(tmp / "dest").empty()) << c.stored;
        ExpectOnlyInside(tmp, "dest");
    }
}

TEST(Safety, TestingRefusesTheNamesThatExtractionWould) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", test::StoredEntry("one.txt", "1") + test::StoredEntry("two.txt", "2") +
                                    test::StoredEntry("CON.INI", "3") + std::string(1, '\0'));
    const Outcome tested = RunArchive(Command::Test, tmp / "arc.lzh", "");
    EXPECT_FALSE(tested.ok);
    EXPECT_THAT(tested.message, AllOf(HasSubstr("CON.INI"), HasSubstr("デバイス名")));
    EXPECT_EQ(tested.message, RunArchive(Command::Extract, tmp / "arc.lzh", tmp / "dest").message);
}

TEST(Safety, ECommandTakesTheBaseNameOfDrivesAndUncPaths) {
    for (const char* stored : {"C:\\evil.txt", "\\\\server\\share\\evil.txt", "..\\..\\evil.txt", "/abs/evil.txt"}) {
        TempDir tmp;
        WriteWhole(tmp / "arc.lzh", test::StoredEntry(stored, "text") + std::string(1, '\0'));
        const Outcome o = RunArchive(Command::Extract, tmp / "arc.lzh", tmp / "dest");
        ASSERT_TRUE(o.ok) << stored << ": " << o.message;
        EXPECT_EQ(Tree(tmp / "dest"), std::vector<std::string>{"/evil.txt"}) << stored;
        ExpectOnlyInside(tmp, "dest");
    }
}

TEST(Safety, TruncatedArchiveLeavesTheOldFileIntact) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    ::mkdir((tmp / "dest").c_str(), 0755);
    WriteWhole(tmp / "dest/gpl-2", "OLD");
    const Outcome o = RunArchive(Command::Extract, Regression("truncated.lzh"), tmp / "dest");
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.message.find("GPL-2"), std::string::npos) << o.message;
    EXPECT_EQ(ReadWhole(tmp / "dest/gpl-2"), "OLD");
    EXPECT_EQ(Tree(tmp / "dest"), std::vector<std::string>{"/gpl-2"});
}

TEST(Safety, CorruptDataLeavesTheOldFileIntactAndNoTemporaryFile) {
    SKIP_WITHOUT_CORPUS();
    for (const char* name : {"h1_lh5.lzh", "h2_lh7.lzh", "h0_lh0.lzh"}) {
        TempDir tmp;
        std::string bytes = ReadWhole(CorpusDir() + "/archives/explzh_723/" + name);
        ASSERT_GT(bytes.size(), 4000u);
        for (std::size_t i = 3000; i < 3010; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
        WriteWhole(tmp / "arc.lzh", bytes);
        ::mkdir((tmp / "dest").c_str(), 0755);
        WriteWhole(tmp / "dest/gpl-2", "OLD");
        const Outcome o = RunArchive(Command::Extract, tmp / "arc.lzh", tmp / "dest");
        EXPECT_FALSE(o.ok) << name;
        EXPECT_NE(o.message.find("gpl-2"), std::string::npos) << o.message;
        EXPECT_EQ(ReadWhole(tmp / "dest/gpl-2"), "OLD");
        EXPECT_EQ(Tree(tmp / "dest"), std::vector<std::string>{"/gpl-2"}) << name;
    }
}

TEST(Safety, DecompressionBombStopsAtTheDeclaredLength) {
    // 7 bytes of -lh5- that would expand to 16 MiB of blanks; the header declares 1 MiB.
    std::string bits = std::string(16, '1') + "00000" + "00000" + "000000000" + "111111101" + "0000" + "0000";
    std::string stream((bits.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i] == '1') stream[i / 8] = static_cast<char>(stream[i / 8] | (0x80 >> (i % 8)));
    }
    const std::string expected(1 << 20, ' ');
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", test::Level0Entry("bomb.txt", stream, 1 << 20,
                                                   Crc16(expected.data(), expected.size()), "-lh5-") +
                                     std::string(1, '\0'));
    const Outcome o = RunArchive(Command::Extract, tmp / "arc.lzh", tmp / "dest");
    ASSERT_TRUE(o.ok) << o.message;
    EXPECT_EQ(ReadWhole(tmp / "dest/bomb.txt"), expected);
    // declared larger than the data can make: refused, nothing left behind
    WriteWhole(tmp / "arc2.lzh", test::Level0Entry("bomb2.txt", stream.substr(0, 6), 100u << 20, 0, "-lh5-") +
                                      std::string(1, '\0'));
    const Outcome o2 = RunArchive(Command::Extract, tmp / "arc2.lzh", tmp / "dest2");
    EXPECT_FALSE(o2.ok);
    EXPECT_TRUE(Tree(tmp / "dest2").empty());
}

TEST(Safety, ReadOnlyFileInTheWayIsReplacedByANormalFile) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    ::mkdir((tmp / "dest").c_str(), 0755);
    WriteWhole(tmp / "dest/gpl-2", "OLD");
    ::chmod((tmp / "dest/gpl-2").c_str(), 0444);
    const Outcome o = RunArchive(Command::Extract, CorpusDir() + "/archives/explzh_723/h2_lh7.lzh", tmp / "dest");
    ASSERT_TRUE(o.ok) << o.message;
    const std::string data = ReadWhole(tmp / "dest/gpl-2");
    EXPECT_EQ(data.size(), 18092u);
    EXPECT_EQ(Crc16(data.data(), data.size()), 0xA33A);
    struct stat st;
    ASSERT_EQ(::stat((tmp / "dest/gpl-2").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR);
}

TEST(Safety, UnwritableDestinationIsReported) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    WriteWhole(tmp / "file", "x");
    const Outcome o = RunArchive(Command::Extract, CorpusDir() + "/archives/explzh_723/h2_lh7.lzh", tmp / "file/dest");
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.message.find("展開先フォルダ"), std::string::npos) << o.message;
}

TEST(Archives, AreFoundWithoutTheirExtensionInAnyCase) {
    TempDir tmp;
    WriteWhole(tmp / "START12.LZH", test::StoredEntry("a.txt", "A") + std::string(1, '\0'));
    WriteWhole(tmp / "base.lzh", test::StoredEntry("b.txt", "B") + std::string(1, '\0'));
    ASSERT_TRUE(RunArchive(Command::Extract, tmp / "START12", tmp / "dest").ok);
    ASSERT_TRUE(RunArchive(Command::Extract, tmp / "base", tmp / "dest/").ok);
    EXPECT_EQ(ReadWhole(tmp / "dest/a.txt"), "A");
    EXPECT_EQ(ReadWhole(tmp / "dest/b.txt"), "B");
    const Outcome o = RunArchive(Command::Extract, tmp / "MISSING", tmp / "dest");
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.message.find("見つかりません"), std::string::npos) << o.message;
}

TEST(Archives, SelfExtractingArchivesAreFoundAfterTheirStub) {
    SKIP_WITHOUT_CORPUS();
    TempDir tmp;
    const Outcome o = RunArchive(Command::Extract, CorpusDir() + "/archives/lhmelt_16536/sfx_winsfx32_213.exe", tmp / "d");
    ASSERT_TRUE(o.ok) << o.message;
    EXPECT_GE(o.filesWritten, 1);
}

TEST(Archives, LaterEntriesOfTheSameNameWinAndLevel2FoldersWork) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", test::StoredEntry("a\\x.txt", "first") + test::StoredEntry2("b\xFF", "x.txt", "second") +
                                    std::string(1, '\0'));
    ASSERT_TRUE(RunArchive(Command::Extract, tmp / "arc.lzh", tmp / "e").ok);
    EXPECT_EQ(ReadWhole(tmp / "e/x.txt"), "second");
    ASSERT_TRUE(RunArchive(Command::ExtractWithPaths, tmp / "arc.lzh", tmp / "x").ok);
    EXPECT_EQ(ReadWhole(tmp / "x/a/x.txt"), "first");
    EXPECT_EQ(ReadWhole(tmp / "x/b/x.txt"), "second");
}

// A name and folders in UTF-16 (extended headers 0x44, 0x45) are the ones extracted,
// code page 932 or not, and refused by the same rules as any other.
TEST(Archives, NamesInUtf16AreExtractedAsTheyAreOrRefused) {
    struct Case {
        Command command;
        test::Extensions utf16;
        std::vector<std::string> tree;  // or, when empty:
        const char* refused;
    };
    const std::string name = test::Utf16Le(u"한국어.txt");
    const std::string folders = test::Utf16Le(u"폴더\uFFFF下\uFFFF");
    const Case cases[] = {
        {Command::ExtractWithPaths, {{0x44, name}, {0x45, folders}}, {"/폴더/", "/폴더/下/", "/폴더/下/한국어.txt"}, ""},
        {Command::Extract, {{0x44, name}, {0x45, folders}}, {"/한국어.txt"}, ""},
        {Command::ExtractWithPaths, {{0x44, name}}, {"/old/", "/old/한국어.txt"}, ""},
        {Command::ExtractWithPaths, {{0x45, folders}}, {"/폴더/", "/폴더/下/", "/폴더/下/old.txt"}, ""},
        {Command::Extract, {{0x44, test::Utf16Le(u"CON.INI")}}, {}, "old/CON.INI」は安全でない"},
        {Command::Extract, {{0x44, test::Utf16Le(u"a?b")}}, {}, "使えない文字"},
        {Command::ExtractWithPaths, {{0x45, test::Utf16Le(u"..\uFFFFup\uFFFF")}}, {}, "外"},
        {Command::Test, {{0x44, test::Utf16Le(u"name.")}}, {}, "ピリオドか空白"},
        {Command::Extract, {{0x44, "odd"}}, {}, "ヘッダが壊れて"},
    };
    for (const Case& c : cases) {
        TempDir tmp;
        WriteWhole(tmp / "arc.lzh", test::StoredEntry2("old\xFF", "old.txt", "data", c.utf16) + std::string(1, '\0'));
        const Outcome o = RunArchive(c.command, tmp / "arc.lzh", tmp / "dest");
        EXPECT_EQ(Tree(tmp / "dest"), c.tree) << c.refused;
        if (c.tree.empty()) {
            EXPECT_FALSE(o.ok);
            EXPECT_THAT(o.message, HasSubstr(c.refused));
        } else {
            EXPECT_TRUE(o.ok) << o.message;
            EXPECT_EQ(ReadWhole(tmp / "dest" + c.tree.back()), "data");
        }
    }
}

}  // namespace
}  // namespace kavrel::lha
