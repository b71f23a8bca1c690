// The portable code page 932 table against Windows' own conversion: every single byte,
// every lead byte with every second byte, and every BMP character the other way; then
// the conversions the Windows builds actually use (the system's, platform/Text.h and
// Widen/Narrow) against the portable ones on whole texts and on malformed input. Runs
// as a Win32 program (under Wine on the build machines).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Cp932Table.h"
#include "platform/Text.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {
namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    return out;
}

std::string WindowsDecode(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(932, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return "<failed>";
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), size, wide.data(), n);
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// False where Windows has no exact code page 932 form (it would put in a default or a
// best-fit character).
bool WindowsEncode(wchar_t ch, std::string& out) {
    char buf[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &ch, 1, buf, sizeof buf,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    out.assign(buf, static_cast<std::size_t>(n));
    return true;
}

// Collects differences, printing the first few of them.
struct Differences {
    int count = 0;
    int compared = 0;
    void Add(const std::string& what) {
        if (++count <= 40) std::printf("  differs: %s\n", what.c_str());
    }
};

std::vector<unsigned char> LeadBytes() {
    std::vector<unsigned char> leads;
    for (int b = 0x81; b <= 0x9F; ++b) leads.push_back(static_cast<unsigned char>(b));
    for (int b = 0xE0; b <= 0xFC; ++b) leads.push_back(static_cast<unsigned char>(b));
    return leads;
}

void CompareDecode(const std::string& bytes, Differences& diff) {
    ++diff.compared;
    const std::string ours = Cp932ToUtf8ByTable(bytes);
    const std::string windows = WindowsDecode(bytes);
    if (ours != windows) {
        diff.Add(Hex(bytes) + "-> ours " + Hex(ours) + "/ Windows " + Hex(windows));
    }
}

TEST(Cp932AgainstWindows, LeadBytesAreTheSame) {
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(932, &info));
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(IsCp932LeadByte(static_cast<unsigned char>(b)),
                  IsDBCSLeadByteEx(932, static_cast<BYTE>(b)) != FALSE) << b;
    }
}

TEST(Cp932AgainstWindows, DecodesEverySequenceAlike) {
    Differences diff;
    for (int b = 0; b < 256; ++b) CompareDecode(std::string(1, static_cast<char>(b)), diff);
    for (unsigned char lead : LeadBytes()) {
        for (int trail = 0; trail < 256; ++trail) {
            CompareDecode(std::string{static_cast<char>(lead), static_cast<char>(trail)}, diff);
            // the same pair followed by a letter: how many bytes the pair took shows
            CompareDecode(std::string{static_cast<char>(lead), static_cast<char>(trail), 'A'}, diff);
        }
        // a lead byte that ends the input, after other text
        CompareDecode(std::string{'A', static_cast<char>(lead)}, diff);
    }
    std::printf("decode: %d sequences compared, %d differ\n", diff.compared, diff.count);
    EXPECT_EQ(diff.count, 0);
}

TEST(Cp932AgainstWindows, EncodesEveryBmpCharacterAlike) {
    Differences diff;
    int encodable = 0;
    for (char32_t cp = 0; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;  // surrogates are no characters
        ++diff.compared;
        const std::string utf8 = Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(cp)));
        std::string ours, windows;
        const bool oursOk = Utf8ToCp932ByTable(utf8, ours);
        const bool windowsOk = WindowsEncode(static_cast<wchar_t>(cp), windows);
        if (windowsOk) ++encodable;
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
        if (oursOk != windowsOk) {
            diff.Add(std::string(name) + (oursOk ? " ours " + Hex(ours) : " ours refused") +
                     (windowsOk ? ", Windows " + Hex(windows) : ", Windows refuses"));
        } else if (oursOk && ours != windows) {
            diff.Add(std::string(name) + " ours " + Hex(ours) + ", Windows " + Hex(windows));
        }
    }
    std::printf("encode: %d code points compared, %d with an exact form, %d differ\n",
                diff.compared, encodable, diff.count);
    EXPECT_EQ(diff.count, 0);
}

// Code page 932 texts as they come from info.txt and archives, good and bad.
std::vector<std::string> Cp932Samples() {
    std::vector<std::string> samples = {
        "", "A", "\x83\x7D\x83\x8B\x83\x94\x83\x46\x81\x5B\x83\x93",  // マルヴェーン
        "C:\\MORVANE\\\x95\x5C\\", "\xB6\xC5 kana", "\x81", "A\x81", std::string("\x81\0B", 3),
        "\x82\x20", "\x80\xA0\xFD\xFE\xFF", "\x87\x40\xED\x40\xFA\x40", "\xEF\x40",
        std::string("a\0b", 3)};
    std::string all;  // every byte, then every pair that starts with a lead byte
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (unsigned char lead : LeadBytes()) {
        for (int trail = 0; trail < 256; trail += 7) {
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    }
    samples.push_back(all);
    return samples;
}

TEST(Cp932OfTheWindowsBuild, DecodesWholeTextsLikeTheTable) {
    for (const std::string& bytes : Cp932Samples()) {
        EXPECT_EQ(Hex(Cp932ToUtf8(bytes)), Hex(Cp932ToUtf8ByTable(bytes))) << Hex(bytes);
    }
}

TEST(Cp932OfTheWindowsBuild, EncodesAndRefusesLikeTheTable) {
    const std::vector<std::string> texts = {
        "", "plain ASCII\r\n", "マルヴェーン更新", "C:\\ﾏﾙｳﾞｪｰﾝ\\表示", "①Ⅻ㈱≒∵",
        std::string("nul\0inside", 11),
        "\xF0\x9F\x98\x80",   // U+1F600: no code page 932 form
        "é ü",                     // Latin letters without one
        "\xC3",                   // truncated
        "\xE3\x81",              // truncated three-byte form
        "\xC0\xAF",              // overlong '/'
        "\xE0\x80\xAF",         // overlong '/' in three bytes
        "\xED\xA0\x80",         // an encoded surrogate
        "\xF4\x90\x80\x80",    // past U+10FFFF
        "\x80", "\xFF", "ok\xFEok"};
    for (const std::string& text : texts) {
        std::string system, table;
        const bool systemOk = Utf8ToCp932(text, system);
        const bool tableOk = Utf8ToCp932ByTable(text, table);
        EXPECT_EQ(systemOk, tableOk) << Hex(text);
        if (systemOk && tableOk) {
            EXPECT_EQ(Hex(system), Hex(table)) << Hex(text);
        }
    }
    // and back: every character the table can encode comes back unchanged
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp932("①Ⅹ㈱≒∵ﾏﾙ表示", bytes));
    EXPECT_EQ(Cp932ToUtf8(bytes), "①Ⅹ㈱≒∵ﾏﾙ表示");
}

TEST(WideTextOfTheWindowsBuild, WidenAndNarrowMatchThePortableConverter) {
    const std::vector<std::string> texts = {
        "", "E:\\MORVANE\\", "更新エラー", "\xF0\x9F\x98\x80 beyond the BMP",
        std::string("nul\0inside", 11), std::string(70000, 'x') + "末尾"};
    for (const std::string& text : texts) {
        const std::wstring wide = Widen(text);
        const std::u16string portable = Utf8ToUtf16(text);
        EXPECT_EQ(std::u16string(wide.begin(), wide.end()), portable) << text.substr(0, 40);
        EXPECT_EQ(Narrow(wide), text) << text.substr(0, 40);
    }
    // malformed UTF-8 and lone surrogates give U+FFFD, never a crash or a lost tail
    const std::wstring bad = Widen("a\xC3" "b\xED\xA0\x80" "c");
    EXPECT_EQ(bad.front(), L'a');
    EXPECT_EQ(bad.back(), L'c');
    EXPECT_NE(bad.find(L'\xFFFD'), std::wstring::npos);
    EXPECT_EQ(Narrow(std::wstring{L'x', wchar_t(0xD800), L'y'}), "x\xEF\xBF\xBDy");
    EXPECT_EQ(Narrow(std::wstring{L'x', wchar_t(0xDC00)}), "x\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kavrel
