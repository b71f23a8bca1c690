// A thin layer over Win32 windows: an object that holds an HWND, a frame and a child
// view whose window procedures forward to virtual handlers, and a modal dialog base.
// Texts are UTF-8 on this side; conversion to UTF-16 happens here.
#pragma once

#include <windows.h>

#include <string>

namespace kavrel {

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND hwnd) : m_hWnd(hwnd) {}
    virtual ~CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

    void SetWindowText(const std::string& text) const;
    std::string GetWindowText() const;
    void SetDlgItemText(int id, const std::string& text) const;
    std::string GetDlgItemText(int id) const;
    // Posts WM_COMMAND with the id in wParam and 0 in lParam.
    void PostCommand(int id) const { ::PostMessageW(m_hWnd, WM_COMMAND, id, 0); }

    static std::string GetText(HWND hwnd);

protected:
    HWND m_hWnd = nullptr;
};

// An overlapped or child window of a class of our own. The window procedure stores
// `this` at WM_NCCREATE and forwards to the virtual handlers.
class CWnd : public CWindow {
protected:
    // Registers the class once per class name.
    static bool RegisterClassOnce(const wchar_t* className, HICON icon, HBRUSH background, UINT style = 0);
    bool CreateEx(DWORD exStyle, const wchar_t* className, const std::string& title,
                  DWORD style, int x, int y, int cx, int cy, HWND parent, int id);

    virtual int OnCreate() { return 0; }
    // True when the command was handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual bool OnPaint() { return false; }
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Handlers run inside user32's dispatch, and an exception must never unwind through it.
// Where the build has exceptions (the test programs), a handler's exception ends the
// program through std::terminate, whose handler in Kavrel.exe is the fatal-error handler
// (platform/win32/ShippedRuntime.h). Kavrel.exe as shipped is built without exceptions:
// nothing can be thrown there, and a failed allocation ends the program the same way.
[[noreturn]] void EndOnUnexpectedError();

template <class Handler, class Result>
Result GuardedHandler(Handler&& handler, Result fallback) {
#if defined(__cpp_exceptions)
    try {
        return handler();
    } catch (...) {
        EndOnUnexpectedError();
    }
    return fallback;
#else
    (void)fallback;
    return handler();
#endif
}

}  // namespace kavrel
