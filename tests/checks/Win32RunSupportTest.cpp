// What the update run asks of Windows before it changes anything, and how it hears from
// the archive library and keeps its log: on real folders and windows (run under Wine).
#include <gtest/gtest.h>

#include <windows.h>

#include "Win32TempFolder.h"
#include "support/HostPath.h"
#include "platform/win32/Win32Log.h"
#include "platform/win32/Win32Dialogue.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Machine.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {
namespace {

using test::Win32TempFolder;

TEST(Win32RunSupport, ANewFileCanBeMadeOnlyInAFolderThatTakesOne) {
    Win32TempFolder temp;
    temp.AddFolder("INSTALL");
    temp.AddFile("FILE.TXT", "a file, not a folder");
    Win32Files platform;
    EXPECT_TRUE(platform.CanCreateFileIn(temp.Path() + "INSTALL"));
    EXPECT_TRUE(platform.CanCreateFileIn(temp.Path() + "INSTALL\\\\"));
    EXPECT_FALSE(platform.CanCreateFileIn(temp.Path() + "MISSING\\"));
    EXPECT_FALSE(platform.CanCreateFileIn(temp.Path() + "FILE.TXT"));
    // The probe leaves nothing behind.
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(Widen(temp.Path() + "INSTALL\\*.tmp").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    // A folder a standard user may not write (C:\Program Files on Windows) is refused the
    // same way; under Wine, running as the owner of every file, no such folder exists.
}

TEST(Win32RunSupport, AFileHeldWithoutSharingIsInUse) {
    Win32TempFolder temp;
    temp.AddFile("HELD.DAT", "x");
    temp.AddFile("SHARED.DAT", "x");
    temp.AddFile("READONLY.DAT", "x");
    const std::string held = temp.Path() + "HELD.DAT";
    const std::string shared = temp.Path() + "SHARED.DAT";
    const std::string readOnly = temp.Path() + "READONLY.DAT";
    SetFileAttributesW(Widen(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
    Win32Files platform;
    const HANDLE h1 = CreateFileW(Widen(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const HANDLE h2 = CreateFileW(Widen(shared).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
    ASSERT_NE(h1, INVALID_HANDLE_VALUE);
    ASSERT_NE(h2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform.ProbeReplace(held), ReplaceProbe::InUse);
    EXPECT_EQ(platform.ProbeReplace(shared), ReplaceProbe::Free)
        << "a reader that shares everything does not stop a replace";
    EXPECT_EQ(platform.ProbeReplace(readOnly), ReplaceProbe::Free) << "read-only is not a refusal: the run clears it";
    EXPECT_EQ(platform.ProbeReplace(temp.Path() + "MISSING.DAT"), ReplaceProbe::Free);
    CloseHandle(h1);
    CloseHandle(h2);
    EXPECT_EQ(platform.ProbeReplace(held), ReplaceProbe::Free);
    std::uint64_t free = 0;
    EXPECT_TRUE(platform.FreeBytes(temp.Path(), free));
    EXPECT_GT(free, 0u);
    SetFileAttributesW(Widen(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Run as a copy named main.exe by the next test: stays alive while the test looks.
TEST(Win32RunSupport, StandsInForTheProductWhenAsked) {
    if (GetEnvironmentVariableW(L"KAVREL_STAND_IN", nullptr, 0) == 0) GTEST_SKIP() << "only as the stand-in";
    Sleep(30000);
}

TEST(Win32RunSupport, ARunningProgramIsFoundByItsPathInAnySpelling) {
    Win32TempFolder temp;
    temp.AddFolder("PROG");
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    // Under Wine the test program lies outside every drive: reached by its Linux path.
    std::wstring source = self;
    if (source.rfind(L"unix\\", 0) == 0) source = L"\\\\?\\" + source;
    const std::string program = temp.Path() + "PROG\\main.exe";
    ASSERT_TRUE(CopyFileW(source.c_str(), Widen(program).c_str(), FALSE)) << Narrow(source);
    // The copy binds the archive library at load time, as this program does.
    const std::wstring library = source.substr(0, source.rfind(L'\\') + 1) + L"UNLHA32.dll";
    ASSERT_TRUE(CopyFileW(library.c_str(), Widen(temp.Path() + "PROG\\UNLHA32.dll").c_str(), FALSE));
    Win32Machine platform;
    EXPECT_FALSE(platform.IsProgramRunning(program));

    SetEnvironmentVariableW(L"KAVREL_STAND_IN", L"1");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + Widen(program) + L"\" --gtest_filter=Win32RunSupport.StandsInForTheProductWhenAsked";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableW(L"KAVREL_STAND_IN", nullptr);
    CloseHandle(pi.hThread);
    Sleep(500);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the stand-in ended";
    EXPECT_TRUE(platform.IsProgramRunning(program));
    // As the run builds the path: a doubled backslash before the name, letters in any case.
    std::string doubled = temp.Path() + "prog\\\\MAIN.EXE";
    EXPECT_TRUE(platform.IsProgramRunning(doubled));
    EXPECT_FALSE(platform.IsProgramRunning(temp.Path() + "main.exe")) << "same name, another folder";
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
}

TEST(Win32RunSupport, LogFileIsUtf8WithMarkAndOneTimedEventALine) {
    Win32TempFolder temp;
    const std::string path = temp.Path() + "記録.log";
    {
        FileLog log;
        ASSERT_TRUE(log.Open(path));
        Win32Log events;
        events.Attach(&log);
        Win32Dialogue user(events);
        user.SetUnattended(true);
        events.Log("first");
        EXPECT_EQ(user.ShowMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認", MessageButtons::OkCancel),
                  MessageAnswer::NoOneToAsk);
        EXPECT_EQ(user.ShowMessage("a\nb", "確認", MessageButtons::Ok), MessageAnswer::Ok);
    }
    const std::string text = temp.ReadFile("記録.log");
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    std::vector<std::string> lines;
    for (std::size_t at = 3; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) {
        ASSERT_GT(line.size(), 24u);
        EXPECT_EQ(line[4], '-');
        EXPECT_EQ(line[19], '.');
    }
    EXPECT_EQ(lines[0].substr(24), "first");
    EXPECT_EQ(lines[1].substr(24),
              "message (not shown) [確認] 2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。 -> none (no one to ask)");
    EXPECT_EQ(lines[2].substr(24), "message (not shown) [確認] a / b -> OK");
}

// Run elevated, the log lands in folders anyone may write into: what was planted under its
// name is refused (then the caller falls back), and no other file is written through it.
// Wine 8 shows a Linux symbolic link to a folder as a reparse point, but one to a file as
// the file itself, and CreateSymbolicLinkW makes nothing: the links here are a hard link
// and a folder, the reparse-point test is left to Windows.
TEST(Win32RunSupport, LogIsWrittenOnlyIntoAPlainFileOfItsOwn) {
    Win32TempFolder temp;
    temp.AddFile("old.log", "an older run's log");
    temp.AddFile("system.ini", "not Kavrel's");
    ASSERT_TRUE(CreateHardLinkW(Widen(temp.Path() + "linked.log").c_str(), Widen(temp.Path() + "system.ini").c_str(),
                                nullptr));
    temp.AddFolder("folder.log");
    struct Case {
        std::string path;
        bool opened;
    };
    for (const Case& c : {Case{temp.Path() + "old.log", true}, Case{temp.Path() + "linked.log", false},
                          Case{temp.Path() + "folder.log", false}, Case{"NUL", false}}) {
        SCOPED_TRACE(c.path);
        FileLog log;
        EXPECT_EQ(log.Open(c.path), c.opened);
        EXPECT_EQ(log.Write("new"), c.opened);
    }
    EXPECT_EQ(temp.ReadFile("system.ini"), "not Kavrel's");
    const std::string emptied = temp.ReadFile("old.log");
    EXPECT_EQ(emptied.find("older"), std::string::npos) << emptied;
    EXPECT_NE(emptied.find("new"), std::string::npos) << emptied;
}

TEST(Win32RunSupport, LogThatCannotBeCreatedSaysSo) {
    Win32TempFolder temp;
    FileLog log;
    EXPECT_FALSE(log.Open(temp.Path() + "NO\\SUCH\\FOLDER\\x.log"));
    EXPECT_FALSE(log.Write("lost"));
}

}  // namespace
}  // namespace kavrel
