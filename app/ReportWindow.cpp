#include "app/ReportWindow.h"

namespace kavrel {
namespace {
constexpr wchar_t kReportClass[] = L"KavrelReports";
}  // namespace

CReportWindow::~CReportWindow() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

bool CReportWindow::Create() {
    return RegisterClassOnce(kReportClass, nullptr, nullptr) &&
           CreateEx(0, kReportClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0);
}

LRESULT CReportWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_platform.HandleArchiveProgress(msg, wParam, lParam)) return 0;
    return CWnd::WindowProc(msg, wParam, lParam);
}

}  // namespace kavrel
