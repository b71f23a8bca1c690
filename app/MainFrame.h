// The main window: bare (no menu, no system menu, no sizing border), maximised, the
// backdrop and owner of the wizard pages. Its title comes from line 1 of info.txt.
#pragma once

#include <memory>

#include "framework/Window.h"
#include "platform/win32/Win32Seams.h"
#include "wizard/KavrelView.h"

namespace kavrel {

constexpr int ID_FRAME_TITLE = 104;

class CMainFrame : public CWnd {
public:
    CMainFrame(Win32Seams& seams, const std::string& sourceFolder, std::string proposedFolder)
        : m_seams(seams), m_strSourceFolder(sourceFolder), m_strProposedFolder(std::move(proposedFolder)) {}
    bool Create();

protected:
    int OnCreate() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnFrameTitle();

    Win32Seams& m_seams;
    const std::string& m_strSourceFolder;
    std::string m_strProposedFolder;
    std::unique_ptr<CKavrelView> m_view;
};

}  // namespace kavrel
