// What the tests of UNLHA32.dll under Wine share: files through wide-character calls,
// code page 932 conversion, and a fixture with a medium of corpus archives.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "EmbeddedArchives.inc"
#include "lha/dll/Unlha32.h"
#include "platform/Text.h"

namespace kavrel::lha::wine {

inline void RemoveTree(const std::wstring& path) {
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
inline std::string A(const std::wstring& w) {  // code page 932
    std::string out;
    EXPECT_TRUE(kavrel::Utf8ToCp932(kavrel::Utf16ToUtf8(std::u16string(w.begin(), w.end())), out));
    return out;
}
inline std::string ReadFileW(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(h);
    return data;
}
inline void WriteFileW(const std::wstring& path, const void* data, std::size_t size) {
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
    // Entry 301 with `line`; the output checked for its bounds.
    int Call(const std::string& line, std::string& output, DWORD size = 256, HWND owner = nullptr) {
        char buffer[256 + 8];
        std::memset(buffer, 'Z', sizeof buffer);
        const int result = Unlha(owner, line.c_str(), buffer, size);
        output.assign(buffer, strnlen(buffer, size));
        EXPECT_LT(std::strlen(buffer), static_cast<std::size_t>(size)) << "unterminated output";
        EXPECT_EQ(buffer[size], 'Z') << "wrote past the buffer";
        return result;
    }
    // "e -mcw%s \"%s%s\" \"%s\"" as the update run builds it.
    int Extract(const std::wstring& item, const std::wstring& dest, std::string& output, DWORD size = 256,
                HWND owner = nullptr, const std::string& windows = "C:\\windows") {
        return Call("e -mcw" + windows + " \"" + A(folder_ + L"\\") + A(item) + "\" \"" + A(dest) + "\"", output, size,
                    owner);
    }
    // The full test the update run makes before installing: the same switches and
    // archive, no destination.
    int Test(const std::wstring& item, std::string& output, HWND owner = nullptr) {
        return Call("t -mcwC:\\windows \"" + A(folder_ + L"\\") + A(item) + "\"", output, 256, owner);
    }
    // An archive of the test's own on the medium.
    void PutArchive(const std::wstring& item, const std::string& bytes) {
        WriteFileW(folder_ + L"\\" + item + L".lzh", bytes.data(), bytes.size());
    }
    std::wstring folder_;
    std::string gpl2_;
};

}  // namespace kavrel::lha::wine
