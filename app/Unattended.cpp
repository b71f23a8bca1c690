#include "app/Unattended.h"

#include "app/ReportWindow.h"
#include "app/SourceFolder.h"
#include "description/InfoFile.h"
#include "update/UpdateRun.h"

namespace kavrel {

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
