#include "app/Unattended.h"

#include "app/SourceFolder.h"
#include "description/InfoFile.h"
#include "framework/Window.h"
#include "update/UpdateRun.h"

namespace kavrel {
namespace {

constexpr wchar_t kReportClass[] = L"KavrelReports";

// Never shown: only the archive library's progress reports come here, for the log.
class CReportWindow : public CWnd {
public:
    explicit CReportWindow(Win32Platform& platform) : m_platform(platform) {}
    ~CReportWindow() override {
        if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    }
    bool Create() {
        return RegisterClassOnce(kReportClass, nullptr, nullptr) &&
               CreateEx(0, kReportClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (m_platform.HandleArchiveProgress(msg, wParam, lParam)) return 0;
        return CWnd::WindowProc(msg, wParam, lParam);
    }

private:
    Win32Platform& m_platform;
};

}  // namespace

ExitCode UnattendedUpdate(Win32Platform& platform, const std::string& folder) {
    UpdateDescription desc;
    if (ReadInfoFile(platform, SourceFolder(), desc) != 1) {
        platform.Log("info.txt cannot be read from " + SourceFolder() + ": nothing to do");
        return ExitCode::NoDescription;
    }
    platform.Log(DescribeForLog(desc));
    if (!folder.empty()) {
        platform.Log("installation folder from /D=: " + folder);
        desc.m_strDestFolder = folder;
    }
    CReportWindow reports(platform);
    if (!reports.Create()) platform.Log("no window for the library's reports: entries are not logged");
    platform.SetOwner(reports.GetSafeHwnd());
    MediumState medium;
    const RunOutcome outcome = RunUpdate(platform, desc, SourceFolder(), medium);
    platform.SetOwner(nullptr);
    return ExitCodeFor(outcome);
}

}  // namespace kavrel
