// A window that is never shown and only hands the archive library's progress reports to
// the platform: the owner entry 301 gets when there is no view (an unattended run).
#pragma once

#include "framework/Window.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

class CReportWindow : public CWnd {
public:
    explicit CReportWindow(Win32Platform& platform) : m_platform(platform) {}
    ~CReportWindow() override;
    // A message-only window; false when it cannot be made.
    bool Create();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    Win32Platform& m_platform;
};

}  // namespace kavrel
