#include "app/KavrelApp.h"

#include <commctrl.h>

#include "app/LibraryCheck.h"
#include "app/SourceFolder.h"
#include "app/Unattended.h"
#include "platform/Text.h"
#include "platform/win32/Win32Machine.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {
namespace {

// For the fatal-error handler, which has no object of its own.
Win32Seams* g_seams = nullptr;

}  // namespace

[[noreturn]] void CKavrelApp::OnUnexpectedError() {
    if (g_seams != nullptr) {
        g_seams->log.Log("unexpected error (out of memory?): the program ends");
        if (!g_seams->user.Unattended()) {
            ::MessageBoxW(g_seams->user.Owner(), L"予期しないエラーが起きたため、Kavrel を終了します。", L"エラー",
                          MB_OK | MB_ICONERROR);
        }
    }
    ::ExitProcess(static_cast<UINT>(ExitCode::InternalError));
}

void CKavrelApp::ShowUsage(const std::string& problem) {
    const std::string text = (problem.empty() ? std::string() : "エラー: " + problem + "\r\n\r\n") + UsageText();
    if (WriteToConsole(text)) return;
    if (m_options.unattended) return;
    ::MessageBoxW(nullptr, Widen(text).c_str(), L"Kavrel",
                  MB_OK | (problem.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}

void CKavrelApp::OpenLog(const std::wstring& commandLine) {
    if (m_options.logFile.empty() && !m_options.unattended && !m_options.check) return;
    std::string path = m_options.logFile.empty() ? DefaultLogPath() : m_options.logFile;
    bool opened = m_log.Open(path);
    if (!opened && m_options.unattended && !m_options.logFile.empty()) {
        // An administrator still gets a log, in the documented default place.
        const std::string fallback = DefaultLogPath();
        opened = m_log.Open(fallback);
        if (opened) m_log.Write("the log file " + path + " cannot be created; logging here instead");
    }
    if (!opened) {
        if (!m_options.unattended) {
            ::MessageBoxW(nullptr, Widen("記録ファイルを作成できません。更新は記録なしで続けます。\n" + path).c_str(),
                          L"確認", MB_OK);
        }
        return;
    }
    m_seams.log.Attach(&m_log);
    m_seams.log.Log("Kavrel " KAVREL_VERSION " (" KAVREL_ARCH ")");
    m_seams.log.Log("command line: " + Narrow(commandLine));
    m_seams.log.Log(std::string("mode: ") +
                    (m_options.unattended ? "unattended (/S)" : m_options.check ? "check" : "wizard"));
    m_seams.log.Log("medium folder: " + m_strSourceFolder);
    m_seams.log.Log("Windows " + WindowsVersionText() + ", Windows folder " + m_seams.machine.WindowsDirectory());
}

int CKavrelApp::Main(const std::wstring& commandLine) {
    g_seams = &m_seams;

    const std::string arguments(ArgumentsOf(Narrow(commandLine)));
    std::string problem;
    if (!ParseStartOptions(arguments, m_options, problem)) {
        m_options = StartOptions{};
        m_options.unattended = MentionsUnattended(arguments);
        ShowUsage(problem);
        if (m_options.unattended) {
            m_strSourceFolder = SourceFolderFromModulePath(ModulePath());
            OpenLog(commandLine);
            m_seams.log.Log("usage error: " + problem + "; nothing was changed");
        }
        return static_cast<int>(ExitCode::UsageError);
    }
    if (m_options.help) {
        ShowUsage("");
        return static_cast<int>(ExitCode::Updated);
    }
    // Made absolute now: browsing the drives on the destination page changes the
    // current folders later.
    if (!m_options.folder.empty()) m_options.folder = AbsolutePath(m_options.folder);
    if (!m_options.logFile.empty()) m_options.logFile = AbsolutePath(m_options.logFile);

    m_strSourceFolder = SourceFolderFromModulePath(ModulePath());
    OpenLog(commandLine);
    const std::uint64_t started = m_seams.machine.Milliseconds();
    ExitCode code = ExitCode::StartFailed;
    m_seams.user.SetUnattended(m_options.unattended);
    std::string library;
    if (!LibraryIsOurs(m_strSourceFolder, library)) {
        // Before any call into it, in both modes: another product's library, or one found on
        // PATH, would run the update without Kavrel's tests.
        m_seams.log.Log("UNLHA32.dll loaded from " + library + " is not the medium's own: nothing was changed");
        code = ExitCodeFor(EndRun(m_seams.user, m_seams.log, RunOutcome::LibraryNotOurs, library));
    } else if (m_options.unattended || m_options.check) {
        // The check needs no pages: its folder comes from /D= or line 16 as an unattended
        // run's does, so what it shows is what /S /CHECK reports on a fleet.
        code = RunUnattended();
    } else if (InitInstance()) {
        code = static_cast<ExitCode>(Run());
    }
    m_seams.log.Log("exit code " + DecimalText(static_cast<int>(code)) + " after " +
                    DecimalText(m_seams.machine.Milliseconds() - started) + " ms");
    return static_cast<int>(code);
}

ExitCode CKavrelApp::RunUnattended() {
    return UnattendedUpdate(m_seams, m_strSourceFolder, m_options.folder,
                            m_options.check ? RunMode::Check : RunMode::Install);
}

bool CKavrelApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    m_frame = std::make_unique<CMainFrame>(m_seams, m_strSourceFolder, m_options.folder);
    if (!m_frame->Create()) return false;
    ::ShowWindow(m_frame->GetSafeHwnd(), SW_SHOW);
    ::UpdateWindow(m_frame->GetSafeHwnd());
    return true;
}

void PrepareProcess() {
    // Before anything touches a drive: an empty floppy drive must not bring up the
    // system's own "no disk" box on top of Kavrel's prompts.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

}  // namespace kavrel
