#include "app/KavrelApp.h"

#include <commctrl.h>

#include <vector>

#include "app/SourceFolder.h"

namespace kavrel {
namespace {

std::string ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(buffer.size() * 2);  // long paths: no fixed limit
    }
}

}  // namespace

bool CKavrelApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    SetSourceFolder(SourceFolderFromModulePath(ModulePath()));
    m_frame = std::make_unique<CMainFrame>(m_platform);
    if (!m_frame->Create()) return false;
    ::ShowWindow(m_frame->GetSafeHwnd(), SW_SHOW);
    ::UpdateWindow(m_frame->GetSafeHwnd());
    return true;
}

}  // namespace kavrel

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kavrel::CKavrelApp app;
    if (!app.InitInstance()) return 1;
    return app.Run();
}
