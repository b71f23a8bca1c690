#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>

#include "platform/Text.h"
#include "platform/TextReader.h"
#include "support/MemoryFiles.h"

namespace kavrel {
namespace {

TEST(Cp932, DecodesKanaKanjiAndAscii) {
    // "ｲﾝｽﾄｰﾙ" half-width, "表" (second byte 0x5C), "ソ" (0x83 0x5C)
    EXPECT_EQ(Cp932ToUtf8("\xB2\xDD\xBD\xC4\xB0\xD9"), "ｲﾝｽﾄｰﾙ");
    EXPECT_EQ(Cp932ToUtf8("\x95\x5C\x83\x5C"), "表ソ");
    EXPECT_EQ(Cp932ToUtf8("a\\b"), "a\\b");
    EXPECT_EQ(Cp932ToUtf8("\x82\xA0"), "あ");
}

TEST(Cp932, UndefinedAndBrokenSequencesNeverCrash) {
    EXPECT_EQ(Cp932ToUtf8("\x85\x40"), "・");  // undefined row
    EXPECT_EQ(Cp932ToUtf8("\x82"), "・");      // lead byte at the end
    EXPECT_EQ(Cp932ToUtf8(std::string("\x82\x00", 2)), std::string("・\0", 4));
}

TEST(Cp932, RoundTripsAndRefusesWhatItCannotExpress) {
    std::string out;
    ASSERT_TRUE(Utf8ToCp932("C:\\アップデート\\表", out));
    EXPECT_EQ(out, "C:\\\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5B\x83\x67\\\x95\x5C");
    EXPECT_EQ(Cp932ToUtf8(out), "C:\\アップデート\\表");
    EXPECT_FALSE(Utf8ToCp932("한국어", out));    // Hangul: no code page 932 form
    EXPECT_FALSE(Utf8ToCp932("\xFF\xFE", out));  // not UTF-8
    EXPECT_FALSE(Utf8ToCp932("😀", out));
}

// What Windows does, as the comparison with MultiByteToWideChar/WideCharToMultiByte
// under Wine showed.
TEST(Cp932, FollowsWindowsOnInvalidPairsAndDuplicateForms) {
    // a lead byte swallows the byte after it, valid trail or not; a NUL stays
    EXPECT_EQ(Cp932ToUtf8("\x81\x20" "A"), "・A");
    EXPECT_EQ(Cp932ToUtf8("\x81\x7F" "A"), "・A");
    EXPECT_EQ(Cp932ToUtf8("\x81\xFD" "A"), "・A");
    EXPECT_EQ(Cp932ToUtf8(std::string("\x81\x00" "A", 3)), std::string("・\0A", 5));
    // both NEC-selected and IBM extension forms read, the IBM one is written
    EXPECT_EQ(Cp932ToUtf8("\xEE\xEF\xFA\x40"), "ⅰⅰ");
    std::string out;
    ASSERT_TRUE(Utf8ToCp932("ⅰ￢∵Ⅰ", out));
    EXPECT_EQ(out, "\xFA\x40\x81\xCA\x81\xE6\x87\x54");
    // best-fit guesses are no exact form
    for (const char* refused : {"¢", "£", "¬", "‖", "−", "〜"}) {
        EXPECT_FALSE(Utf8ToCp932(refused, out)) << refused;
    }
}

TEST(Cp932, UpperCaseLeavesDoubleByteCharactersAlone) {
    std::string s = "start\x83\x61x";  // 0x83 0x61 is a katakana whose trail byte is 'a'
    Cp932UpperCase(s);
    EXPECT_EQ(s, "START\x83\x61X");
}

TEST(Utf16, RoundTripsAllPlanes) {
    const std::string text = "a表ｱ😀";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);
}

TEST(DecimalText, WritesWhatPrintfWrites) {
    const long long values[] = {0, 1, -1, 9, 10, -10, 99, 100, 12345, -987654321, INT_MAX, INT_MIN,
                                LLONG_MAX, LLONG_MIN, LLONG_MIN + 1};
    for (long long v : values) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%lld", v);
        EXPECT_EQ(DecimalText(v), expected);
    }
    const unsigned long long unsignedValues[] = {0, 7, 4294967295ULL, 18446744073709551615ULL};
    for (unsigned long long v : unsignedValues) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%llu", v);
        EXPECT_EQ(DecimalText(v), expected);
    }
    EXPECT_EQ(DecimalText(3) + " 枚目", "3 枚目");
    EXPECT_EQ(DecimalText(static_cast<short>(-5)), "-5");
    EXPECT_EQ(DecimalText(std::uint64_t{1} << 63), "9223372036854775808");
}

TEST(TextReader, ActsLikeTextModeOfTheCRuntime) {
    test::MemoryFiles p;
    p.AddFile("C:\\t.txt", std::string("one\r\ntwo\nthree\rx\r\n\x1A" "after"));
    auto f = p.OpenRead("C:\\t.txt");
    TextReader r(*f);
    std::string line;
    ASSERT_TRUE(r.ReadLine(line, 100));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(r.ReadLine(line, 100));
    EXPECT_EQ(line, "two");
    ASSERT_TRUE(r.ReadLine(line, 100));
    EXPECT_EQ(line, "three\rx");  // a lone CR stays
    EXPECT_FALSE(r.ReadLine(line, 100));  // Ctrl-Z ends the file
}

TEST(TextReader, PiecesAreBoundedLikeFgets) {
    test::MemoryFiles p;
    p.AddFile("C:\\t.txt", "abcdefg\r\nh");
    auto f = p.OpenRead("C:\\t.txt");
    TextReader r(*f);
    std::string piece;
    ASSERT_TRUE(r.ReadPiece(piece, 3));
    EXPECT_EQ(piece, "abc");
    piece.clear();
    ASSERT_TRUE(r.ReadPiece(piece, 10));
    EXPECT_EQ(piece, "defg\n");
    piece.clear();
    ASSERT_TRUE(r.ReadPiece(piece, 10));
    EXPECT_EQ(piece, "h");
    piece.clear();
    EXPECT_FALSE(r.ReadPiece(piece, 10));
}

TEST(TextReader, OverlongLineKeepsItsStartAndMovesOn) {
    test::MemoryFiles p;
    p.AddFile("C:\\t.txt", std::string(100000, 'x') + "\nnext\n");
    auto f = p.OpenRead("C:\\t.txt");
    TextReader r(*f);
    std::string line;
    ASSERT_TRUE(r.ReadLine(line, 10));
    EXPECT_EQ(line, std::string(10, 'x'));
    ASSERT_TRUE(r.ReadLine(line, 10));
    EXPECT_EQ(line, "next");
}

}  // namespace
}  // namespace kavrel
