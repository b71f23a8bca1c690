// The portable code page 932 codec against Windows' own conversion: every single byte,
// every lead byte with every second byte, and every BMP character the other way. Runs
// as a Win32 program (under Wine on the build machines).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Text.h"

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
    const std::string ours = Cp932ToUtf8(bytes);
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
        const bool oursOk = Utf8ToCp932(utf8, ours);
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

}  // namespace
}  // namespace kavrel
