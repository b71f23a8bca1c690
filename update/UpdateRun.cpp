#include "update/UpdateRun.h"

#include "checks/FileTypeRegistration.h"
#include "checks/SystemIdentification.h"
#include "checks/VersionCheck.h"
#include "description/InstallationRules.h"
#include "platform/Text.h"
#include "update/UpdateItems.h"

namespace kavrel {
namespace {

// "NULL" asks for the settings-file names the product has used, in turn. The name
// tried last stays in the description, so a later run does not probe again.
int ProbeInstallFolder(const RunSeams& seams, UpdateDescription& desc, std::string& folder) {
    const auto check = [&] {
        return CheckInstallFolder(seams.files, seams.log, desc, folder, desc.m_strSettingsFile);
    };
    if (desc.m_strSettingsFile != kProbeSettingsFile) return check();
    int result = 0;
    for (const char* name : kProbedSettingsFiles) {
        desc.m_strSettingsFile = name;
        result = check();
        if (result != 0) break;
    }
    return result;
}

// The installation's checks: whether this update is for it, and which system it is.
std::optional<RunOutcome> CheckInstallation(const RunSeams& seams, UpdateDescription& desc, std::string& folder) {
    if (ProbeInstallFolder(seams, desc, folder) != 1) return EndRun(seams.user, seams.log, RunOutcome::FolderRefused);
    if (CheckMainProgram(seams.files, seams.log, folder) != 1 ||
        CheckVersion(seams.files, seams.log, desc, folder) != 1) {
        return EndRun(seams.user, seams.log, RunOutcome::VersionRefused);
    }
    desc.m_nSystemNumber = FindSystemNumber(seams.folders, seams.log, desc, folder);
    return std::nullopt;
}

// What would stop the update half way and can be known without writing anything.
std::optional<RunOutcome> CheckBeforeChanges(const RunSeams& seams, const std::string& folder, ItemRun& items) {
    if (auto stopped = items.CheckCommandLines()) return stopped;
    if (!seams.installation.CanCreateFileIn(folder)) {
        seams.log.Log("installation folder " + folder + ": a new file cannot be created there");
        return EndRun(seams.user, seams.log, RunOutcome::FolderNotWritable, folder);
    }
    const std::string program = folder + "\\main.exe";
    if (seams.machine.IsProgramRunning(program)) {
        seams.log.Log("program " + program + " is running");
        return EndRun(seams.user, seams.log, RunOutcome::ProductRunning, program);
    }
    return items.PrepareFirstDisk();
}

}  // namespace

RunOutcome RunUpdate(const RunSeams& seams, UpdateDescription& desc, const std::string& sourceFolder,
                     MediumState& medium) {
    // Held until the run returns; its message boxes are shown under it, as they always were.
    const auto waitCursor = seams.user.BeginWaitCursor();
    auto progress = seams.user.BeginProgress(desc.m_strHeader[0]);
    const std::uint64_t started = seams.machine.Milliseconds();
    seams.log.Log("run: installation folder " + desc.m_strDestFolder + ", medium " + sourceFolder);

    const auto finish = [&](RunOutcome outcome) {
        seams.log.Log("run ended after " + DecimalText(seams.machine.Milliseconds() - started) + " ms");
        return outcome;
    };

    // Items lost from a damaged description would go unseen: nothing is looked at or changed.
    if (desc.m_bDamaged) {
        return finish(EndRun(seams.user, seams.log, RunOutcome::DescriptionDamaged, sourceFolder + "info.txt"));
    }
    std::string folder = desc.m_strDestFolder;
    if (auto refused = CheckInstallation(seams, desc, folder)) return finish(*refused);

    const std::string windowsDirectory = seams.machine.WindowsDirectory();
    ItemRun items(seams, desc, desc.m_nSystemNumber, sourceFolder, folder, windowsDirectory, medium, *progress);
    if (auto stopped = CheckBeforeChanges(seams, folder, items)) return finish(*stopped);

    RegisterFileType(seams.registry, seams.user, seams.log, desc.m_nSystemNumber, folder);
    seams.archives.Entry6(0);
    seams.archives.Entry8(1);
    if (auto stopped = items.InstallAll()) return finish(*stopped);

    // The progress window is gone before the last word.
    progress.reset();
    return finish(EndRun(seams.user, seams.log, RunOutcome::Completed));
}

}  // namespace kavrel
