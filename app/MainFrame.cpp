#include "app/MainFrame.h"

#include "description/InfoFile.h"
#include "framework/Dialog.h"
#include "res/resource.h"

namespace kavrel {
namespace {
constexpr wchar_t kFrameClass[] = L"KavrelFrame";
}  // namespace

bool CMainFrame::Create() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!RegisterClassOnce(kFrameClass, icon, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) {
        return false;
    }
    // WS_VISIBLE alone (on an overlapped window): a title bar, but no system menu, no
    // boxes and no sizing border. Children are clipped so the view's picture stays clean.
    return CreateEx(0, kFrameClass, "Kavrel", WS_VISIBLE | WS_CLIPCHILDREN, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, 0);
}

int CMainFrame::OnCreate() {
    SetMainWindow(m_hWnd);
    m_view = std::make_unique<CKavrelView>(m_seams, m_strSourceFolder, m_strProposedFolder);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (!m_view->Create(m_hWnd, client)) return -1;
    ::SetMenu(m_hWnd, nullptr);

    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(m_hWnd, &placement);
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.ptMaxPosition = POINT{0, 0};
    ::SetWindowPlacement(m_hWnd, &placement);

    PostCommand(ID_FRAME_TITLE);
    return 0;
}

bool CMainFrame::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (id == ID_FRAME_TITLE) {
        OnFrameTitle();
        return true;
    }
    return false;
}

void CMainFrame::OnFrameTitle() { SetWindowText(ReadInfoTitle(m_seams.files, m_strSourceFolder)); }

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (m_view && m_view->GetSafeHwnd()) {
            ::MoveWindow(m_view->GetSafeHwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
        return 0;
    case WM_SETFOCUS:
        if (m_view && m_view->GetSafeHwnd()) ::SetFocus(m_view->GetSafeHwnd());
        return 0;
    case WM_DESTROY:
        SetMainWindow(nullptr);
        // The wizard's outcome is the program's exit code.
        ::PostQuitMessage(static_cast<int>(m_view ? m_view->GetExitCode() : ExitCode::StartFailed));
        return 0;
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}

}  // namespace kavrel
