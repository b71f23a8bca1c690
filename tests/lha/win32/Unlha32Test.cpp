// UNLHA32.dll under Wine: entries 6, 8 and 301 called as the update run calls them,
// with the exact command-line format, and the files compared byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "EmbeddedArchives.inc"
#include "lha/dll/Unlha32.h"
#include "platform/Text.h"

namespace {

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    const HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}
std::string A(const std::wstring& w) {  // code page 932
    std::string out;
    EXPECT_TRUE(kavrel::Utf8ToCp932(kavrel::Utf16ToUtf8(std::u16string(w.begin(), w.end())), out));
    return out;
}
std::string ReadFileW(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(h);
    return data;
}
void WriteFileW(const std::wstring& path, const void* data, std::size_t size) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    WriteFile(h, data, static_cast<DWORD>(size), &done, nullptr);
    CloseHandle(h);
}

class Unlha32 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!KAVREL_HAVE_EMBEDDED_CORPUS) GTEST_SKIP() << "LZH corpus was not found when the test was configured";
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"kavrel-unlha32-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        // The medium: archives with the .lzh (or .LZH) extension.
        WriteFileW(folder_ + L"\\H1LH5.lzh", kH1LH5, sizeof kH1LH5);
        WriteFileW(folder_ + L"\\H2LH7.LZH", kH2LH7, sizeof kH2LH7);
        WriteFileW(folder_ + L"\\H0LH6.lzh", kH0LH6, sizeof kH0LH6);
        WriteFileW(folder_ + L"\\START12.lzh", kH2LH5, sizeof kH2LH5);
        WriteFileW(folder_ + L"\\SUBDIR.lzh", kSUBDIR, sizeof kSUBDIR);
        WriteFileW(folder_ + L"\\TRUNC.lzh", kTRUNC, sizeof kTRUNC);
        gpl2_.assign(reinterpret_cast<const char*>(kgpl2), sizeof kgpl2);
        UnlhaEntry6(0);
        UnlhaEntry8(1);
    }
    void TearDown() override {
        if (!folder_.empty()) RemoveTree(folder_);
    }
    // "e -mcw%s \"%s%s\" \"%s\"" as the update run builds it.
    int Extract(const std::wstring& item, const std::wstring& dest, std::string& output, DWORD size = 256) {
        const std::string line = "e -mcwC:\\windows \"" + A(folder_ + L"\\") + A(item) + "\" \"" + A(dest) + "\"";
        char buffer[256 + 8];
        std::memset(buffer, 'Z', sizeof buffer);
        const int result = Unlha(nullptr, line.c_str(), buffer, size);
        output.assign(buffer, strnlen(buffer, size));
        EXPECT_LT(std::strlen(buffer), static_cast<std::size_t>(size)) << "unterminated output";
        EXPECT_EQ(buffer[size], 'Z') << "wrote past the buffer";
        return result;
    }
    std::wstring folder_;
    std::string gpl2_;
};

TEST_F(Unlha32, ExtractsWhatTheCommandLineNamesByteForByte) {
    const std::wstring dest = folder_ + L"\\install\\";
    std::string out;
    for (const wchar_t* item : {L"H1LH5", L"H2LH7", L"H0LH6", L"START12"}) {
        DeleteFileW((dest + L"gpl-2").c_str());
        ASSERT_EQ(Extract(item, dest, out), 0) << out;
        EXPECT_TRUE(ReadFileW(dest + L"gpl-2") == gpl2_) << "content differs after extracting " << A(item);
    }
}

TEST_F(Unlha32, DropsStoredFoldersAndAcceptsManyTrailingBackslashes) {
    std::string out;
    ASSERT_EQ(Extract(L"SUBDIR", folder_ + L"\\flat\\\\\\", out), 0) << out;
    EXPECT_EQ(ReadFileW(folder_ + L"\\flat\\hello.txt").size(), 12u);
    EXPECT_EQ(GetFileAttributesW((folder_ + L"\\flat\\subdir").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Unlha32, WritesIntoAJapaneseFolderNamedInCodePage932) {
    // 表 and ソ end in the byte 0x5C
    const std::wstring dest = folder_ + L"\\\u8868\u30bd\u66f4\u65b0";
    std::string out;
    ASSERT_EQ(Extract(L"H2LH7", dest, out), 0) << out;
    EXPECT_TRUE(ReadFileW(dest + L"\\gpl-2") == gpl2_);
}

TEST_F(Unlha32, ReplacesAReadOnlyFileAndLeavesANormalOne) {
    const std::wstring dest = folder_ + L"\\ro";
    CreateDirectoryW(dest.c_str(), nullptr);
    WriteFileW(dest + L"\\gpl-2", "OLD", 3);
    SetFileAttributesW((dest + L"\\gpl-2").c_str(), FILE_ATTRIBUTE_READONLY);
    std::string out;
    ASSERT_EQ(Extract(L"H1LH5", dest + L"\\", out), 0) << out;
    EXPECT_TRUE(ReadFileW(dest + L"\\gpl-2") == gpl2_);
    EXPECT_EQ(GetFileAttributesW((dest + L"\\gpl-2").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(Unlha32, FailsWithAJapaneseMessageAndKeepsTheOldFile) {
    const std::wstring dest = folder_ + L"\\keep";
    CreateDirectoryW(dest.c_str(), nullptr);
    WriteFileW(dest + L"\\gpl-2", "OLD", 3);
    std::string out;
    EXPECT_NE(Extract(L"TRUNC", dest + L"\\", out), 0);
    EXPECT_NE(out.find(A(L"\u5207\u308c\u3066")), std::string::npos) << out;  // 切れて
    EXPECT_NE(out.find("GPL-2"), std::string::npos) << out;
    EXPECT_EQ(ReadFileW(dest + L"\\gpl-2"), "OLD");

    EXPECT_NE(Extract(L"NOSUCH", dest + L"\\", out), 0);
    EXPECT_NE(out.find(A(L"\u898b\u3064\u304b\u308a\u307e\u305b\u3093")), std::string::npos) << out;  // 見つかりません
}

TEST_F(Unlha32, BoundsTheMessageToTheBufferSize) {
    std::string out;
    for (DWORD size : {1u, 2u, 3u, 10u, 11u, 40u}) {
        EXPECT_NE(Extract(L"NOSUCH", folder_ + L"\\x", out, size), 0);
        EXPECT_LE(out.size(), size - 1);
    }
}

TEST(Unlha32Exports, AreReachableByOrdinalOnly) {
    const HMODULE dll = LoadLibraryW(L"UNLHA32.dll");
    ASSERT_NE(dll, nullptr);
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(6)), nullptr);
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(8)), nullptr);
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(301)), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "Unlha"), nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(301))), reinterpret_cast<void*>(&Unlha));
    char buffer[256];
    using Fn = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);
    const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(301))));
    EXPECT_NE(fn(nullptr, "q", buffer, sizeof buffer), 0);
    EXPECT_GT(std::strlen(buffer), 0u);
    FreeLibrary(dll);
}

}  // namespace
