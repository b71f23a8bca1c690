#include "checks/SystemIdentification.h"

#include "platform/Text.h"

namespace kavrel {

namespace {

// Installations of this release keep the settings file in emst\07; later ones in
// ZAVURE\Ges, where an update for them must not be applied.
constexpr const char* kOldReleaseVersion = "V5.0 L01";

}  // namespace

int CheckInstallFolder(FileReader& files, EventLog& log, const UpdateDescription& desc, std::string& folder,
                       const std::string& settingsFile) {
    const bool oldRelease = desc.m_strTargetVersion == kOldReleaseVersion;
    const std::string subfolder = oldRelease ? "emst\\07\\" : "ZAVURE\\Ges\\";
    // For the old release the file's presence accepts the folder; otherwise it refuses it.
    const int whenFound = oldRelease ? 1 : 0;
    const int whenMissing = 1 - whenFound;

    if (!files.Exists(folder)) {
        log.Log("installation folder " + folder + ": not found");
        return whenMissing;
    }
    // Logs what was probed and what it means for the folder.
    const auto probe = [&](const std::string& path) {
        const bool found = files.Exists(path);
        const int result = found ? whenFound : whenMissing;
        log.Log("settings file " + path + (found ? ": found" : ": not found") +
                     (result == 1 ? " (folder accepted)" : " (folder refused)"));
        return found;
    };
    if (probe(folder + subfolder + settingsFile)) return whenFound;
    // The folder text may lack its closing backslash. It is appended even when one is
    // there already: a doubled backslash names the same place, and the run relies on the
    // text as left here.
    folder += '\\';
    return probe(folder + subfolder + settingsFile) ? whenFound : whenMissing;
}

int CheckMainProgram(FileReader& files, EventLog& log, const std::string& folder) {
    const std::string program = folder + "\\main.exe";
    const bool found = files.Exists(folder) && files.Exists(program);
    log.Log("program " + program + (found ? ": found" : ": not found"));
    return found ? 1 : 0;
}

int FindSystemNumber(FolderSearch& files, EventLog& log, const UpdateDescription& desc, const std::string& folder) {
    const std::string pattern = folder + "*.ico";
    const std::vector<FoundEntry> found = files.FindFiles(pattern);
    // Installations carry one icon file; should there be several, the one the search
    // returns last decides, and a folder returned last means no name at all.
    if (found.empty() || found.back().isDirectory) {
        log.Log("icon " + pattern + ": none found, no system number");
        return -1;
    }

    const std::string& name = found.back().name;
    const std::string stem = name.substr(0, name.find('.'));
    for (int position = 1; position <= kSystemCount; ++position) {
        // An empty system name matches every stem, as it always has.
        if (stem.find(desc.m_strSystemName[position - 1]) != std::string::npos) {
            log.Log("icon " + name + ": system " + DecimalText(position) + " (" +
                         desc.m_strSystemName[position - 1] + ")");
            return position;
        }
    }
    log.Log("icon " + name + ": no system name matches, no system number");
    return -1;
}

}  // namespace kavrel
