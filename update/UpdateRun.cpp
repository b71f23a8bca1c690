#include "update/UpdateRun.h"

#include "checks/FileTypeRegistration.h"
#include "checks/SystemIdentification.h"
#include "checks/VersionCheck.h"
#include "update/UpdateItems.h"
#include "update/UpdateMessages.h"

namespace kavrel {
namespace {

namespace text = update_text;

void Tell(Platform& platform, const std::string& message, const char* caption) {
    platform.ShowMessage(message, caption, MessageButtons::Ok);
}

// "NULL" asks for the two settings-file names the product has used, in turn. The name
// tried last stays in the description, so a later run does not probe again.
int ProbeInstallFolder(Platform& platform, UpdateDescription& desc, std::string& folder) {
    if (desc.m_strSettingsFile != "NULL") {
        return CheckInstallFolder(platform, desc, folder, desc.m_strSettingsFile);
    }
    desc.m_strSettingsFile = "pemsoa1.ini";
    int result = CheckInstallFolder(platform, desc, folder, desc.m_strSettingsFile);
    if (result == 0) {
        desc.m_strSettingsFile = "tirvelo1.ini";
        result = CheckInstallFolder(platform, desc, folder, desc.m_strSettingsFile);
    }
    return result;
}

}  // namespace

int RunUpdate(Platform& platform, UpdateDescription& desc, const std::string& sourceFolder) {
    // Held until the run returns; its message boxes are shown under it, as they always were.
    const auto waitCursor = platform.BeginWaitCursor();

    std::string folder = desc.m_strDestFolder;
    if (ProbeInstallFolder(platform, desc, folder) != 1) {
        Tell(platform, text::kBadInstallFolder, text::kCaptionError);
        return 0;
    }
    if (CheckMainProgram(platform, folder, desc.m_strSettingsFile) != 1) {
        Tell(platform, text::kVersionRefused, text::kCaptionError);
        return 0;
    }
    if (CheckVersion(platform, desc, folder) != 1) {
        Tell(platform, text::kVersionRefused, text::kCaptionError);
        return 0;
    }
    desc.m_nSystemNumber = FindSystemNumber(platform, desc, folder, desc.m_strSettingsFile);
    RegisterFileType(platform, desc, folder);

    const std::string windowsDirectory = platform.WindowsDirectory();
    platform.ArchiveEntry6(0);
    platform.ArchiveEntry8(1);

    const ItemRunContext context{platform, desc, sourceFolder, folder, windowsDirectory};
    if (const auto stopped = InstallItems(context)) return *stopped;

    Tell(platform, text::kCompleted, text::kCaptionConfirm);
    return 1;
}

}  // namespace kavrel
