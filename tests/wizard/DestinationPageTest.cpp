// The destination page run in this process: a second thread plays the user while the
// page's modal loop runs, and the test then reads what the page handed back and what it
// left of the process's current drive and directories.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <thread>

#include "platform/win32/CurrentDirectory.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Text.h"
#include "support/FakeSeams.h"
#include "wizard/Commands.h"
#include "wizard/DestinationDlg.h"

namespace kavrel {
namespace {

constexpr int kDriveList = 1002;
constexpr int kFolderList = 1003;
constexpr int kPath = 1005;

HWND WaitForPage(DWORD threadId) {
    for (int i = 0; i < 400; ++i) {
        HWND found = nullptr;
        ::EnumThreadWindows(
            threadId,
            [](HWND hwnd, LPARAM lParam) CALLBACK -> BOOL {
                wchar_t cls[64] = {};
                ::GetClassNameW(hwnd, cls, 64);
                if (std::wstring(cls) != L"#32770" || !::IsWindowVisible(hwnd)) return TRUE;
                *reinterpret_cast<HWND*>(lParam) = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        ::Sleep(25);
    }
    return nullptr;
}

std::wstring PathField(HWND page) {
    wchar_t buffer[8192] = {};
    ::SendMessageW(::GetDlgItem(page, kPath), WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void Select(HWND page, int listId, const wchar_t* text) {
    const HWND list = ::GetDlgItem(page, listId);
    const LRESULT index = ::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text));
    ASSERT_NE(index, LB_ERR) << Narrow(text);
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    // Sent, so the step is complete when this returns.
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Runs the page with `user` acting on it from another thread; the page's result.
INT_PTR RunPage(CDestinationDlg& page, const std::function<void(HWND)>& user) {
    const DWORD self = ::GetCurrentThreadId();
    std::thread actor([&] {
        const HWND hwnd = WaitForPage(self);
        if (hwnd) user(hwnd);
    });
    const INT_PTR result = page.DoModal();
    actor.join();
    return result;
}

class DestinationPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryW(L"E:\\PAGE", nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        ::CreateDirectoryW(L"E:\\PAGE\\inner", nullptr);
        ::CreateDirectoryW(L"E:\\PAGE\\日本語フォルダ", nullptr);
        ASSERT_TRUE(ChangeCurrentDirectory(L"C:\\"));
        ASSERT_EQ(GetCurrentDriveNumber(), 3);
    }
    Win32Files files_;
    test::ScriptedDialogue user_;
};

TEST_F(DestinationPageTest, NextReturnsThePathFieldExactlyAndRestoresTheDrive) {
    CDestinationDlg page(files_, files_, user_, "");
    page.m_strFolder = "C:\\MORVANE\\";
    const std::string typed = "E:\\PAGE\\日本語フォルダ\\ " + std::string(5000, 'x');
    std::wstring shownAtStart;
    const INT_PTR result = RunPage(page, [&](HWND hwnd) {
        shownAtStart = PathField(hwnd);
        Select(hwnd, kDriveList, L"[-e-]");
        ::SendMessageW(::GetDlgItem(hwnd, kPath), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(Widen(typed).c_str()));
        ::PostMessageW(::GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Narrow(shownAtStart), "C:\\MORVANE\\");
    EXPECT_EQ(page.m_strFolder, typed);
    EXPECT_EQ(GetCurrentDriveNumber(), 3) << "the drive current before the page is current again";
}

TEST_F(DestinationPageTest, BrowsingShowsFullPathsAndEscapeKeepsTheFolderHandedIn) {
    CDestinationDlg page(files_, files_, user_, "");
    page.m_strFolder = "C:\\ORIGINAL";
    std::wstring afterDrive, afterFolder, afterJapanese, afterParent;
    const INT_PTR result = RunPage(page, [&](HWND hwnd) {
        Select(hwnd, kDriveList, L"[-e-]");
        afterDrive = PathField(hwnd);
        Select(hwnd, kFolderList, L"[PAGE]");
        afterFolder = PathField(hwnd);
        Select(hwnd, kFolderList, L"[日本語フォルダ]");
        afterJapanese = PathField(hwnd);
        Select(hwnd, kFolderList, L"[..]");
        afterParent = PathField(hwnd);
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(afterDrive, L"e:\\");
    EXPECT_EQ(afterFolder, L"e:\\PAGE");
    EXPECT_EQ(afterJapanese, L"e:\\PAGE\\日本語フォルダ");
    EXPECT_EQ(afterParent, L"e:\\PAGE");
    EXPECT_EQ(page.m_strFolder, "C:\\ORIGINAL");
    EXPECT_EQ(GetCurrentDriveNumber(), 3);
    // E: keeps the directory browsing left it in, as the next visit's "e:" steps need.
    wchar_t full[MAX_PATH] = {};
    ::GetFullPathNameW(L"e:", MAX_PATH, full, nullptr);
    EXPECT_EQ(std::wstring(full), L"e:\\PAGE\\");
}

TEST_F(DestinationPageTest, BackAndUnreadyDrivesNeitherCrashNorChangeTheFolder) {
    CDestinationDlg page(files_, files_, user_, "");
    page.m_strFolder = "keep";
    const INT_PTR result = RunPage(page, [&](HWND hwnd) {
        // A drive without a medium: the root is shown, the list holds the parent entry.
        const HWND drives = ::GetDlgItem(hwnd, kDriveList);
        ::SendMessageW(drives, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"[-q-]"));
        Select(hwnd, kDriveList, L"[-q-]");
        EXPECT_EQ(PathField(hwnd), L"q:\\");
        EXPECT_EQ(::SendMessageW(::GetDlgItem(hwnd, kFolderList), LB_GETCOUNT, 0, 0), 1);
        ::PostMessageW(::GetDlgItem(hwnd, IDBACK_PAGE), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, IDBACK_PAGE);
    EXPECT_EQ(page.m_strFolder, "keep");
    EXPECT_EQ(GetCurrentDriveNumber(), 3);
}

}  // namespace
}  // namespace kavrel
