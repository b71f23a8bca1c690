// The program's start under Windows (run under Wine): the critical-error mode, and a
// wizard whose pages cannot open. This test program carries none of Kavrel's dialog
// templates, so every page fails to load, as one would without memory or resources.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/KavrelApp.h"
#include "platform/win32/Win32Seams.h"
#include "wizard/Commands.h"
#include "wizard/KavrelView.h"

namespace kavrel {
namespace {

TEST(ProcessStart, NoSystemBoxForAnEmptyDrive) {
    PrepareProcess();
    const UINT mode = GetErrorMode();
    EXPECT_EQ(mode & SEM_FAILCRITICALERRORS, static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(mode & SEM_NOOPENFILEERRORBOX, static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
}

// Stands in for the main frame: counts the WM_CLOSE the view posts.
int g_closes = 0;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ++g_closes;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Handles what is queued until the view has asked the frame to close (or time is up).
bool PumpUntilClosed(int closesBefore) {
    for (int i = 0; i < 400 && g_closes == closesBefore; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
    return g_closes > closesBefore;
}

TEST(PageThatCannotOpen, EndsTheProgramInsteadOfStrandingTheUser) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KavrelTestFrame";
    RegisterClassW(&wc);
    const HWND frame = CreateWindowExW(0, L"KavrelTestFrame", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                       nullptr, wc.hInstance, nullptr);
    ASSERT_NE(frame, nullptr);
    Win32Seams seams;
    CKavrelView view(seams, "", "");
    ASSERT_TRUE(view.Create(frame, RECT{0, 0, 400, 300}));

    // The intro page opens by itself; it cannot.
    ASSERT_TRUE(PumpUntilClosed(0));
    EXPECT_EQ(view.GetExitCode(), ExitCode::StartFailed);
    // The destination and confirmation pages alike.
    for (int page : {ID_PAGE_DESTINATION, ID_PAGE_CONFIRM}) {
        const int before = g_closes;
        PostMessageW(view.GetSafeHwnd(), WM_COMMAND, page, 0);
        EXPECT_TRUE(PumpUntilClosed(before)) << page;
        EXPECT_EQ(view.GetExitCode(), ExitCode::StartFailed);
    }
    DestroyWindow(frame);
}

// The picture is stretched over the whole view: a change of size (a new screen
// resolution, the task bar moved) must repaint all of it, not only the new strip.
TEST(ViewSize, EveryChangeOfSizeRepaintsTheWholeView) {
    const HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(frame, nullptr);
    Win32Seams seams;
    CKavrelView view(seams, "", "");
    ASSERT_TRUE(view.Create(frame, RECT{0, 0, 200, 150}));
    const HWND hwnd = view.GetSafeHwnd();
    for (const SIZE size : {SIZE{300, 220}, SIZE{120, 90}}) {
        ValidateRect(hwnd, nullptr);
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        RECT update{};
        ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE)) << size.cx;
        EXPECT_EQ(update.left, 0);
        EXPECT_EQ(update.top, 0);
        EXPECT_EQ(update.right, size.cx);
        EXPECT_EQ(update.bottom, size.cy);
    }
    DestroyWindow(frame);
}

}  // namespace
}  // namespace kavrel
