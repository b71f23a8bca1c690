#include "framework/Dialog.h"

namespace kavrel {
namespace {
HWND g_mainWindow = nullptr;
}  // namespace

void SetMainWindow(HWND hwnd) { g_mainWindow = hwnd; }
HWND GetMainWindow() { return g_mainWindow; }

CDialog::~CDialog() {
    if (m_bModeless && m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

HWND CDialog::Owner() const { return m_hParent != nullptr ? m_hParent : g_mainWindow; }

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), Owner(),
                             &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::CreateModeless() {
    m_bModeless = true;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), Owner(),
                                &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_bModeless) {
        ::DestroyWindow(m_hWnd);
    } else {
        ::EndDialog(m_hWnd, result);
    }
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;
    const INT_PTR r = GuardedHandler([&] { return self->OnMessage(msg, wParam, lParam); }, INT_PTR{FALSE});
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return r;
}

INT_PTR CDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        return OnCommand(id, code, reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

void PumpPaintAndTimerMessages() {
    // Bounded: a window that never validates its update region would keep sending WM_PAINT.
    MSG msg;
    for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
        ::DispatchMessageW(&msg);
    }
    for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE); ++i) {
        ::DispatchMessageW(&msg);
    }
}

}  // namespace kavrel
