// kavrel-lha.exe as vendors run it on Windows: archives written with `a` (every method,
// both header levels, the maximum level) come back exactly with `x`, Japanese names
// included; a name code page 932 cannot express fails the run and leaves no archive.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Text.h"
#include "support/HostPath.h"

namespace {

// The copy of kavrel-lha.exe in the test's temporary folder: the build folder has no
// drive letter under Wine, and a program there cannot be started.
std::wstring toolCopy;
std::wstring ToolPath() { return toolCopy; }

bool CopyTool(const std::wstring& folder) {
    const std::u16string built = kavrel::Utf8ToUtf16(kavrel::test::HostPath(KAVREL_LHA_TOOL));
    toolCopy = folder + L"\\kavrel-lha.exe";
    return CopyFileW(std::wstring(built.begin(), built.end()).c_str(), toolCopy.c_str(), FALSE) != 0;
}

// Runs kavrel-lha.exe with `arguments`; its exit code.
DWORD RunTool(const std::wstring& arguments) {
    std::wstring line = L"\"" + ToolPath() + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const std::wstring folder = toolCopy.substr(0, toolCopy.find_last_of(L'\\'));
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        return 999;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 999;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

void WriteFileW(const std::wstring& path, const std::string& data) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &done, nullptr);
    CloseHandle(h);
}

bool ReadFileW(const std::wstring& path, std::string& data) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    data.clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(h);
    return true;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW d;
    const HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring n = d.cFileName;
            if (n == L"." || n == L"..") continue;
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\" + n);
            } else {
                SetFileAttributesW((path + L"\\" + n).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((path + L"\\" + n).c_str());
            }
        } while (FindNextFileW(h, &d));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"kavrel-lha-tool-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(root_);
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
        tools_ = root_ + L"-tool";
        RemoveTree(tools_);
        ASSERT_TRUE(CreateDirectoryW(tools_.c_str(), nullptr));
        ASSERT_TRUE(CopyTool(tools_));
    }
    void TearDown() override {
        RemoveTree(root_);
        RemoveTree(tools_);
    }
    std::wstring root_;
    std::wstring tools_;
};

std::string Text(std::size_t size) {
    std::string s;
    while (s.size() < size) s += "更新の媒体には info.txt と書庫があります。 update medium ";
    s.resize(size);
    return s;
}

TEST_F(ToolTest, AFolderTreeWithJapaneseNamesComesBackExactly) {
    const std::wstring src = root_ + L"\\ソース";
    ASSERT_TRUE(CreateDirectoryW(src.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((src + L"\\深い").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((src + L"\\深い\\表示").c_str(), nullptr));
    std::string random(40000, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::vector<std::pair<std::wstring, std::string>> files = {
        {L"\\日本語.txt", Text(100000)},
        {L"\\空.txt", ""},
        {L"\\一.bin", "1"},
        {L"\\深い\\能.dat", random},
        {L"\\深い\\表示\\ソ.txt", Text(5000)},
    };
    for (const auto& [rel, data] : files) WriteFileW(src + rel, data);
    const std::wstring switchSets[] = {L"", L"-9", L"-lh5 -h1", L"-lh6 -1", L"-lh0 --reproducible"};
    for (const std::wstring& switches : switchSets) {
        SCOPED_TRACE(std::string(switches.begin(), switches.end()));
        const std::wstring archive = root_ + L"\\書庫.lzh";
        const std::wstring out = root_ + L"\\展開";
        RemoveTree(out);
        ASSERT_EQ(RunTool(L"a " + switches + L" \"" + archive + L"\" \"" + src + L"\""), 0u);
        ASSERT_EQ(RunTool(L"x \"" + archive + L"\" \"" + out + L"\""), 0u);
        for (const auto& [rel, data] : files) {
            std::string back;
            EXPECT_TRUE(ReadFileW(out + L"\\ソース" + rel, back));
            EXPECT_TRUE(back == data);
        }
        DeleteFileW(archive.c_str());
    }
}

TEST_F(ToolTest, ANameOutsideCodePage932FailsAndLeavesNoArchive) {
    const std::wstring src = root_ + L"\\src";
    ASSERT_TRUE(CreateDirectoryW(src.c_str(), nullptr));
    WriteFileW(src + L"\\ok.txt", "ok");
    WriteFileW(src + L"\\한국어.txt", "hangul");
    EXPECT_EQ(RunTool(L"a \"" + root_ + L"\\out.lzh\" \"" + src + L"\""), 1u);
    EXPECT_FALSE(Exists(root_ + L"\\out.lzh"));
    // Nothing else was left beside it either.
    WIN32_FIND_DATAW d;
    const HANDLE h = FindFirstFileW((root_ + L"\\*").c_str(), &d);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (std::wstring(d.cFileName) != L"." && std::wstring(d.cFileName) != L"..") names.push_back(d.cFileName);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    EXPECT_EQ(names, std::vector<std::wstring>{L"src"});
}

}  // namespace
