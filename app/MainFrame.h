// The main window: bare (no menu, no system menu, no sizing border), maximised, the
// backdrop and owner of the wizard pages. Its title comes from line 1 of info.txt.
#pragma once

#include <memory>

#include "framework/Window.h"
#include "platform/win32/Win32Platform.h"
#include "wizard/KavrelView.h"

namespace kavrel {

constexpr int ID_FRAME_TITLE = 104;

class CMainFrame : public CWnd {
public:
    CMainFrame(Win32Platform& platform, std::string proposedFolder)
        : m_platform(platform), m_strProposedFolder(std::move(proposedFolder)) {}
    bool Create();

protected:
    int OnCreate() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnFrameTitle();

    Win32Platform& m_platform;
    std::string m_strProposedFolder;
    std::unique_ptr<CKavrelView> m_view;
};

}  // namespace kavrel
