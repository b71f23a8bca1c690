#include "app/Unattended.h"

#include "description/InfoFile.h"
#include "update/UpdateRun.h"

namespace kavrel {

ExitCode UnattendedUpdate(Win32Seams& seams, const std::string& sourceFolder, const std::string& folder,
                          RunMode mode) {
    UpdateDescription desc;
    if (ReadInfoFile(seams.files, sourceFolder, desc) != 1) {
        seams.log.Log("info.txt cannot be read from " + sourceFolder + ": nothing to do");
        return ExitCode::NoDescription;
    }
    seams.log.Log(DescribeForLog(desc));
    if (!folder.empty()) {
        seams.log.Log("installation folder from /D=: " + folder);
        desc.m_strDestFolder = folder;
    }
    MediumState medium;
    return ExitCodeFor(RunUpdate(seams.Run(), desc, sourceFolder, medium, mode));
}

}  // namespace kavrel
