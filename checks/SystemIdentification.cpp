#include "checks/SystemIdentification.h"

namespace kavrel {

namespace {

// Installations of this release keep the settings file in emst\07; later ones in
// ZAVURE\Ges, where an update for them must not be applied.
constexpr const char* kOldReleaseVersion = "V5.0 L01";

}  // namespace

int CheckInstallFolder(Platform& platform, const UpdateDescription& desc, std::string& folder,
                       const std::string& settingsFile) {
    const bool oldRelease = desc.m_strTargetVersion == kOldReleaseVersion;
    const std::string subfolder = oldRelease ? "emst\\07\\" : "ZAVURE\\Ges\\";
    // For the old release the file's presence accepts the folder; otherwise it refuses it.
    const int whenFound = oldRelease ? 1 : 0;
    const int whenMissing = 1 - whenFound;

    if (!platform.Exists(folder)) return whenMissing;
    if (platform.Exists(folder + subfolder + settingsFile)) return whenFound;
    // The folder text may lack its closing backslash. It is appended even when one is
    // there already: a doubled backslash names the same place, and the run relies on the
    // text as left here.
    folder += '\\';
    return platform.Exists(folder + subfolder + settingsFile) ? whenFound : whenMissing;
}

int CheckMainProgram(Platform& platform, const std::string& folder,
                     const std::string& /*settingsFile*/) {
    return platform.Exists(folder) && platform.Exists(folder + "\\main.exe") ? 1 : 0;
}

int FindSystemNumber(Platform& platform, const UpdateDescription& desc, const std::string& folder,
                     const std::string& /*settingsFile*/) {
    const std::vector<FoundEntry> found = platform.FindFiles(folder + "*.ico");
    // Installations carry one icon file; should there be several, the one the search
    // returns last decides, and a folder returned last means no name at all.
    if (found.empty() || found.back().isDirectory) return -1;

    const std::string& name = found.back().name;
    const std::string stem = name.substr(0, name.find('.'));
    for (int position = 1; position <= kSystemCount; ++position) {
        // An empty system name matches every stem, as it always has.
        if (stem.find(desc.m_strSystemName[position - 1]) != std::string::npos) return position;
    }
    return -1;
}

}  // namespace kavrel
