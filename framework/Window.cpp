#include "framework/Window.h"

#include <exception>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace kavrel {

void CWindow::SetWindowText(const std::string& text) const {
    ::SetWindowTextW(m_hWnd, Widen(text).c_str());
}

std::string CWindow::GetText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    return Narrow(std::wstring(buffer.data(), got > 0 ? got : 0));
}

std::string CWindow::GetWindowText() const { return GetText(m_hWnd); }

void CWindow::SetDlgItemText(int id, const std::string& text) const {
    ::SetDlgItemTextW(m_hWnd, id, Widen(text).c_str());
}

std::string CWindow::GetDlgItemText(int id) const { return GetText(GetDlgItem(id)); }

bool CWnd::RegisterClassOnce(const wchar_t* className, HICON icon, HBRUSH background, UINT style) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, className, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const std::string& title,
                    DWORD style, int x, int y, int cx, int cy, HWND parent, int id) {
    const HWND hwnd = ::CreateWindowExW(exStyle, className, Widen(title).c_str(), style, x, y, cx,
                                        cy, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        ::GetModuleHandleW(nullptr), this);
    return hwnd != nullptr;
}

LRESULT CWnd::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate();
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        break;
    case WM_PAINT:
        if (OnPaint()) return 0;
        break;
    default:
        break;
    }
    return Default(msg, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<CWnd*>(create->lpCreateParams);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT r = GuardedHandler([&] { return self->WindowProc(msg, wParam, lParam); }, LRESULT{0});
        self->m_hWnd = nullptr;
        return r;
    }
    return GuardedHandler([&] { return self->WindowProc(msg, wParam, lParam); }, LRESULT{0});
}

void EndOnUnexpectedError() { std::terminate(); }

}  // namespace kavrel
