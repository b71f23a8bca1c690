#include <gtest/gtest.h>

#include "description/InfoFile.h"
#include "platform/Text.h"
#include "tests/description/InfoFileSupport.h"

namespace kavrel {
namespace {

using test::FixedLines;
using test::InfoWithItems;
using test::Join;
using test::ReadInfo;

TEST(InfoFile, FixedLinesLandInTheirFields) {
    auto lines = FixedLines();
    lines[17] = "1";
    const auto r = ReadInfo(Join(lines));
    ASSERT_EQ(r.result, 1);
    const auto& d = r.desc;
    for (int i = 0; i < 15; ++i) EXPECT_EQ(d.m_strHeader[i], test::LineText(i + 1));
    EXPECT_EQ(d.m_strDestFolder, "L16");
    EXPECT_EQ(d.m_strTargetVersion, "L17");
    EXPECT_EQ(d.m_strIntroTitleFlag, "1");
    EXPECT_EQ(d.m_strSettingsFile, "L19");
    EXPECT_EQ(d.m_strReserved, "L20");
    EXPECT_EQ(d.m_strViewArtwork, "L21");
    EXPECT_EQ(d.m_strIntroArtwork, "L22");
    EXPECT_EQ(d.m_strDestArtwork, "L23");
    EXPECT_EQ(d.m_strConfirmArtwork, "L24");
    EXPECT_EQ(d.m_strIntroNotes, "L25");
    EXPECT_EQ(d.m_strDestNotes, "L26");
    for (int i = 0; i < 15; ++i) EXPECT_EQ(d.m_strSystemName[i], test::LineText(i + 27));
    EXPECT_EQ(std::ssize(d.m_items), 0);  // exactly 41 lines: no items
}

// Whether a run may start from what was read: a file cut within its fixed lines, or one
// that could not all be read, is damaged; a whole one, with or without items, is not.
TEST(InfoFile, CutOrUnreadableFileIsDamaged) {
    const std::string whole = InfoWithItems({"1,1,DATA1,DATA\\", "1,0,README.TXT,"});
    const std::size_t itemsStart = Join(FixedLines()).size();
    struct Case {
        const char* name;
        std::string content;
        std::size_t failAt;  // reads fail from here on; npos: never
        bool damaged;
    };
    const std::size_t never = std::string::npos;
    const Case cases[] = {
        {"whole", whole, never, false},
        {"fixed lines alone", Join(FixedLines()), never, false},
        {"last fixed line without its line break", Join(FixedLines()).substr(0, itemsStart - 2), never, false},
        {"cut within the fixed lines", whole.substr(0, 100), never, true},
        {"forty lines", Join(std::vector<std::string>(40, "x")), never, true},
        {"Ctrl-Z within the fixed lines", Join(FixedLines()).insert(60, "\x1A"), never, true},
        {"empty", "", never, true},
        {"read error within the fixed lines", whole, 100, true},
        {"read error within the items", whole, itemsStart + 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::MemoryFiles platform;
        platform.AddFile(test::kMedium + "info.txt", c.content);
        if (c.failAt != never) platform.failReadAt[test::kMedium + "info.txt"] = c.failAt;
        UpdateDescription d;
        d.m_bDamaged = !c.damaged;  // the reader decides afresh
        EXPECT_EQ(ReadInfoFile(platform, test::kMedium, d), 1);
        EXPECT_EQ(d.m_bDamaged, c.damaged);
    }
    test::MemoryFiles none;
    UpdateDescription missing;
    missing.m_bDamaged = true;
    EXPECT_EQ(ReadInfoFile(none, test::kMedium, missing), 0);
    EXPECT_FALSE(missing.m_bDamaged) << "missing is not damaged: the wizard runs on";
}

TEST(InfoFile, TitleFlagIsStoredAsWritten) {
    // The page decides with atoi; the record keeps the text itself.
    for (const std::string flag : {"0", "", "x", "1", " 7 "}) {
        auto lines = FixedLines();
        lines[17] = flag;
        EXPECT_EQ(ReadInfo(Join(lines)).desc.m_strIntroTitleFlag, flag);
    }
}

TEST(InfoFile, MissingFileGivesZeroAndLeavesTextsAlone) {
    test::MemoryFiles platform;
    UpdateDescription d;
    d.m_strDestFolder = "kept";
    d.m_items.resize(5);
    EXPECT_EQ(ReadInfoFile(platform, test::kMedium, d), 0);
    EXPECT_EQ(std::ssize(d.m_items), 0);
    EXPECT_EQ(d.m_strDestFolder, "kept");
    EXPECT_EQ(ReadInfoTitle(platform, test::kMedium), "");

    UpdateDescription fresh;
    EXPECT_EQ(ReadInfoFile(platform, test::kMedium, fresh), 0);
    EXPECT_EQ(fresh.m_strHeader[0], "");
    EXPECT_EQ(fresh.m_strIntroNotes, "");
}

TEST(InfoFile, PathIsSourceFolderAndNamePlainlyJoined) {
    test::MemoryFiles platform;
    platform.AddFile("A:info.txt", "root title\n");
    UpdateDescription d;
    EXPECT_EQ(ReadInfoFile(platform, "A:", d), 1);
    EXPECT_EQ(d.m_strHeader[0], "root title");
    EXPECT_EQ(ReadInfoTitle(platform, "A:"), "root title");
    EXPECT_EQ(ReadInfoFile(platform, "A:\\", d), 0);
}

TEST(InfoFile, ShortAndEmptyFilesLeaveTheRestEmpty) {
    for (const std::string content : {"", "one", "one\ntwo\n", "one\r\n\r\n\r\n"}) {
        const auto r = ReadInfo(content);
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.desc.m_strHeader[0], content.substr(0, content.find_first_of("\r\n")));
        EXPECT_EQ(r.desc.m_strDestFolder, "");
        EXPECT_EQ(r.desc.m_strSystemName[14], "");
        EXPECT_EQ(std::ssize(r.desc.m_items), 0);
    }
}

TEST(InfoFile, TextModeLineEndsAndCtrlZ) {
    auto lines = FixedLines();
    std::string content;
    for (std::size_t i = 0; i < lines.size(); ++i) content += lines[i] + (i % 2 ? "\n" : "\r\n");
    // a DOS editor's Ctrl-Z ends the file: what follows is no item
    const auto r = ReadInfo(content + "1,1,A,B\\\r\n\x1A" "2,2,C,D\\\r\n");
    EXPECT_EQ(r.desc.m_strHeader[1], "L2");
    EXPECT_EQ(r.desc.m_strSystemName[14], "L41");
    ASSERT_EQ(std::ssize(r.desc.m_items), 1);
    EXPECT_EQ(r.desc.m_items[0].name, "A");

    // a Ctrl-Z in the fixed lines ends the file there too
    const auto cut = ReadInfo("title\x1Arest\r\nsecond\r\n");
    EXPECT_EQ(cut.desc.m_strHeader[0], "title");
    EXPECT_EQ(cut.desc.m_strHeader[1], "");
}

TEST(InfoFile, JapaneseTextsAreDecodedFromCodePage932) {
    auto lines = FixedLines();
    lines[0] = "\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5B\x83\x67";  // アップデート
    lines[15] = "C:\\\x95\x5C\\";                                   // 表: trail byte 0x5C
    lines[26] = "\x83\x56\x83\x58\x83\x65\x83\x80";                 // システム
    lines[24] = "\xB2\xDD\xBD\xC4\xB0\xD9";                         // ｲﾝｽﾄｰﾙ
    const auto r = ReadInfo(Join(lines));
    EXPECT_EQ(r.desc.m_strHeader[0], "アップデート");
    EXPECT_EQ(r.desc.m_strDestFolder, "C:\\表\\");
    EXPECT_EQ(r.desc.m_strSystemName[0], "システム");
    EXPECT_EQ(r.desc.m_strIntroNotes, "ｲﾝｽﾄｰﾙ");

    test::MemoryFiles platform;
    platform.AddFile(test::kMedium + "info.txt", Join(lines));
    EXPECT_EQ(ReadInfoTitle(platform, test::kMedium), "アップデート");
}

struct TabCase {
    const char* name;
    std::string before;
    std::string after;
};

TEST(TabsToLineBreaks, Cases) {
    const TabCase cases[] = {
        {"tab and filler", "abc\t_def", "abc\r\ndef"},
        {"two tabs in a row", "a\t\tb", "a\r\nb"},
        {"no tab", "plain", "plain"},
        {"empty", "", ""},
        {"tab at the start", "\t_x", "\r\nx"},
        {"tab as the last byte", "abc\t", "abc\r\n"},
        {"tab only", "\t", "\r\n"},
        {"filler then tab at the end", "a\t_b\t", "a\r\nb\r\n"},
        {"three tabs", "\t\t\t", "\r\n\r\n"},
    };
    for (const auto& c : cases) {
        std::string text = c.before;
        TabsToLineBreaks(text);
        EXPECT_EQ(text, c.after) << c.name;
    }
}

TEST(TabsToLineBreaks, StopsAfterAHundredTabs) {
    std::string text;
    for (int i = 0; i < 102; ++i) text += "\t_";
    const std::size_t size = text.size();
    TabsToLineBreaks(text);
    EXPECT_EQ(text.size(), size);
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += "\r\n";
    expected += "\t_\t_";
    EXPECT_EQ(text, expected);
}

TEST(InfoFile, NotesGetLineBreaksBeforeDecoding) {
    auto lines = FixedLines();
    lines[24] = "\x92\x8D\x88\xD3\t_\x8D\x58\x90\x56";  // 注意 TAB filler 更新
    lines[25] = "end\t";
    lines[20] = "keep\ttab";                            // only the notes are rewritten
    const auto r = ReadInfo(Join(lines));
    EXPECT_EQ(r.desc.m_strIntroNotes, "注意\r\n更新");
    EXPECT_EQ(r.desc.m_strDestNotes, "end\r\n");
    EXPECT_EQ(r.desc.m_strViewArtwork, "keep\ttab");
}

TEST(InfoFile, NulByteEndsTheLineText) {
    auto lines = FixedLines();
    lines[0] = std::string("Tit\0le", 6);
    const auto r = ReadInfo(Join(lines) + std::string("1,1,A\0B,S\\\r\n", 12));
    EXPECT_EQ(r.desc.m_strHeader[0], "Tit");
    EXPECT_EQ(r.desc.m_strHeader[1], "L2");
    ASSERT_EQ(std::ssize(r.desc.m_items), 1);
    EXPECT_EQ(r.desc.m_items[0].name, "A");
    EXPECT_EQ(r.desc.m_items[0].subfolder, "");
}

TEST(InfoFile, BinaryGarbageReadsWithoutHarm) {
    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>((state >> 16) & 0xFF);
    }
    for (auto& c : garbage) if (c == 0x1A) c = 0x1B;  // let it read to the end
    const auto r = ReadInfo(garbage);
    EXPECT_EQ(r.result, 1);
    EXPECT_LE(std::ssize(r.desc.m_items), kMaxItems);
    // whatever the bytes, the texts come out as well-formed UTF-8
    for (const auto& text : {r.desc.m_strHeader[0], r.desc.m_strIntroNotes, r.desc.m_items[0].name}) {
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    }
}

TEST(InfoFile, HugeLineIsCutAndReadingGoesOn) {
    std::string content = "T\r\n" + std::string(10 * 1024 * 1024, 'x') + "\r\nthird\r\n";
    const auto r = ReadInfo(content);
    EXPECT_EQ(r.desc.m_strHeader[0], "T");
    EXPECT_EQ(r.desc.m_strHeader[1].size(), 64u * 1024);
    EXPECT_EQ(r.desc.m_strHeader[2], "third");
}

TEST(InfoFile, HugeItemLineKeepsItsStart) {
    const std::string name(100 * 1024, 'n');
    const auto r = ReadInfo(InfoWithItems({"1,1," + name + ",S\\", "2,2,B,T\\"}));
    ASSERT_EQ(std::ssize(r.desc.m_items), 2);
    EXPECT_EQ(r.desc.m_items[0].name, std::string(64 * 1024 - 4, 'N'));
    EXPECT_EQ(r.desc.m_items[0].subfolder, "");
    EXPECT_EQ(r.desc.m_items[1].name, "B");
}

TEST(InfoFile, TitleOfAFileWithoutLineBreak) {
    test::MemoryFiles platform;
    platform.AddFile(test::kMedium + "info.txt", "only line");
    EXPECT_EQ(ReadInfoTitle(platform, test::kMedium), "only line");
}

}  // namespace
}  // namespace kavrel
