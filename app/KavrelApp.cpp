#include "app/KavrelApp.h"

#include <commctrl.h>

#include <vector>

#include "app/SourceFolder.h"
#include "app/Unattended.h"
#include "platform/Text.h"

namespace kavrel {
namespace {

CKavrelApp* g_app = nullptr;
Win32Platform* g_platform = nullptr;

std::string ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(buffer.size() * 2);  // long paths: no fixed limit
    }
}

// The version Windows really is (GetVersionEx answers what the manifest claims).
std::string WindowsVersion() {
    using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto proc = ntdll ? reinterpret_cast<RtlGetVersionProc>(
                                  reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    if (proc == nullptr || proc(&info) != 0) return "unknown";
    return DecimalText(info.dwMajorVersion) + "." + DecimalText(info.dwMinorVersion) + " build " +
           DecimalText(info.dwBuildNumber);
}

// Writes the text where whoever started us can read it: a redirected output, the console
// we were started from, or else nowhere (false).
bool WriteToConsole(const std::string& text) {
    DWORD written = 0;
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && ::GetFileType(out) != FILE_TYPE_CHAR &&
        ::GetFileType(out) != FILE_TYPE_UNKNOWN) {
        return ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return false;
    const std::wstring wide = Widen("\r\n" + text);
    const bool ok = ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    ::CloseHandle(console);
    return ok;
}

}  // namespace

[[noreturn]] void CKavrelApp::OnUnexpectedError() {
    if (g_platform != nullptr) {
        g_platform->Log("unexpected error (out of memory?): the program ends");
        if (!g_platform->Unattended()) {
            ::MessageBoxW(g_platform->Owner(), L"予期しないエラーが起きたため、Kavrel を終了します。", L"エラー",
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
    if (m_options.logFile.empty() && !m_options.unattended) return;
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
    m_platform.SetLog(&m_log);
    m_platform.Log("Kavrel " KAVREL_VERSION " (" KAVREL_ARCH ")");
    m_platform.Log("command line: " + Narrow(commandLine));
    m_platform.Log(std::string("mode: ") + (m_options.unattended ? "unattended (/S)" : "wizard"));
    m_platform.Log("medium folder: " + SourceFolder());
    m_platform.Log("Windows " + WindowsVersion() + ", Windows folder " + m_platform.WindowsDirectory());
}

int CKavrelApp::Main(const std::wstring& commandLine) {
    g_app = this;
    g_platform = &m_platform;
    SetUnexpectedErrorHandler(&CKavrelApp::OnUnexpectedError);

    const std::string arguments(ArgumentsOf(Narrow(commandLine)));
    std::string problem;
    if (!ParseStartOptions(arguments, m_options, problem)) {
        m_options = StartOptions{};
        m_options.unattended = MentionsUnattended(arguments);
        ShowUsage(problem);
        if (m_options.unattended) {
            SetSourceFolder(SourceFolderFromModulePath(ModulePath()));
            OpenLog(commandLine);
            m_platform.Log("usage error: " + problem + "; nothing was changed");
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

    SetSourceFolder(SourceFolderFromModulePath(ModulePath()));
    OpenLog(commandLine);
    const std::uint64_t started = m_platform.Milliseconds();
    ExitCode code = ExitCode::StartFailed;
    if (m_options.unattended) {
        code = RunUnattended();
    } else if (InitInstance()) {
        code = static_cast<ExitCode>(Run());
    }
    m_platform.Log("exit code " + DecimalText(static_cast<int>(code)) + " after " +
                   DecimalText(m_platform.Milliseconds() - started) + " ms");
    return static_cast<int>(code);
}

ExitCode CKavrelApp::RunUnattended() {
    m_platform.SetUnattended(true);
    return UnattendedUpdate(m_platform, m_options.folder);
}

bool CKavrelApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    m_frame = std::make_unique<CMainFrame>(m_platform, m_options.folder);
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
