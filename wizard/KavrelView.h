// The view: owns the update description, shows the backdrop picture and leads the user
// through the pages. Each step is a command posted to itself; each page's result
// decides the next command, or tells the main frame to close.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "description/UpdateDescription.h"
#include "framework/Window.h"
#include "platform/win32/Win32Seams.h"
#include "update/UpdateRun.h"

namespace kavrel {

class CKavrelView : public CWnd, public ProgressPresenter {
public:
    // `sourceFolder`: the medium's folder. `proposedFolder`: the folder given on the
    // command line (/D=), proposed instead of line 16 of info.txt; empty when none.
    CKavrelView(Win32Seams& seams, const std::string& sourceFolder, std::string proposedFolder)
        : m_seams(seams), m_strSourceFolder(sourceFolder), m_strProposedFolder(std::move(proposedFolder)) {}
    ~CKavrelView() override;
    bool Create(HWND parent, const RECT& rect);

    // The program's exit code as the wizard stands now.
    ExitCode GetExitCode() const { return m_exitCode; }

    std::unique_ptr<RunProgress> Show(const std::string& title) override;

    UpdateDescription m_desc;

protected:
    int OnCreate() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnPaint() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPageIntro();
    void OnPageDestination();
    void OnPageConfirm();
    int RunUpdate();
    void CloseMainFrame(ExitCode code);
    // A page that cannot be shown leaves nothing to click: the program ends.
    void PageFailed();

    Win32Seams& m_seams;
    std::string m_strSourceFolder;
    std::string m_strProposedFolder;
    MediumState m_medium;
    // The last run's outcome: a user who leaves after a refusal ends with its code.
    std::optional<RunOutcome> m_lastOutcome;
    ExitCode m_exitCode = ExitCode::LeftBeforeTheRun;
};

}  // namespace kavrel
