// The application: reads the command line, opens the log when one is asked for, and
// either runs the update unattended (/S: no window of any kind) or creates the main frame
// (which creates the view and its wizard) and runs the message loop until it closes.
// Either way the result is the program's exit code.
#pragma once

#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "app/StartOptions.h"
#include "framework/App.h"
#include "platform/win32/Win32Seams.h"
#include "update/Outcome.h"

namespace kavrel {

class CKavrelApp : public CWinApp {
public:
    // The whole program for this command line; its exit code.
    int Main(const std::wstring& commandLine);
    bool InitInstance() override;
    // Ends the program on an error of its own (out of memory): logged, a message unless
    // the run is unattended, exit code 6. Never returns.
    [[noreturn]] static void OnUnexpectedError();

private:
    ExitCode RunUnattended();
    void OpenLog(const std::wstring& commandLine);
    void ShowUsage(const std::string& problem);

    Win32Seams m_seams;
    StartOptions m_options;
    FileLog m_log;
    std::string m_strSourceFolder;  // the medium's: the drive and directory of Kavrel.exe
    std::unique_ptr<CMainFrame> m_frame;
};

// What the process needs before anything else runs.
void PrepareProcess();

}  // namespace kavrel
