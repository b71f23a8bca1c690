// The application: works out the Source folder, creates the main frame (which creates
// the view) and runs the message loop until the frame closes.
#pragma once

#include <memory>

#include "app/MainFrame.h"
#include "framework/App.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

class CKavrelApp : public CWinApp {
public:
    bool InitInstance() override;

private:
    Win32Platform m_platform;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace kavrel
