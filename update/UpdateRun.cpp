#include "update/UpdateRun.h"

#include "checks/FileTypeRegistration.h"
#include "checks/SystemIdentification.h"
#include "checks/VersionCheck.h"
#include "platform/Text.h"
#include "update/UpdateItems.h"
#include "update/UpdateMessages.h"

namespace kavrel {
namespace {

namespace text = update_text;

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

RunOutcome Refused(Platform& platform, const std::string& message, RunOutcome outcome) {
    platform.ShowMessage(message, text::kCaptionError, MessageButtons::Ok);
    return outcome;
}

// The installation's checks: whether this update is for it, and which system it is.
std::optional<RunOutcome> CheckInstallation(Platform& platform, UpdateDescription& desc, std::string& folder) {
    if (ProbeInstallFolder(platform, desc, folder) != 1) {
        return Refused(platform, text::kBadInstallFolder, RunOutcome::FolderRefused);
    }
    if (CheckMainProgram(platform, folder, desc.m_strSettingsFile) != 1) {
        return Refused(platform, text::kVersionRefused, RunOutcome::VersionRefused);
    }
    if (CheckVersion(platform, desc, folder) != 1) {
        return Refused(platform, text::kVersionRefused, RunOutcome::VersionRefused);
    }
    desc.m_nSystemNumber = FindSystemNumber(platform, desc, folder, desc.m_strSettingsFile);
    return std::nullopt;
}

// What would stop the update half way and can be known without writing anything.
std::optional<RunOutcome> CheckBeforeChanges(Platform& platform, const std::string& folder, ItemRun& items) {
    if (auto stopped = items.CheckCommandLines()) return stopped;
    if (!platform.CanCreateFileIn(folder)) {
        platform.Log("installation folder " + folder + ": a new file cannot be created there");
        return Refused(platform, text::FolderNotWritable(folder), RunOutcome::FolderNotWritable);
    }
    const std::string program = folder + "\\main.exe";
    if (platform.IsProgramRunning(program)) {
        platform.Log("program " + program + " is running");
        return Refused(platform, text::ProductRunning(program), RunOutcome::ProductInUse);
    }
    return items.PrepareFirstDisk();
}

}  // namespace

RunOutcome RunUpdate(Platform& platform, UpdateDescription& desc, const std::string& sourceFolder,
                     MediumState& medium) {
    // Held until the run returns; its message boxes are shown under it, as they always were.
    const auto waitCursor = platform.BeginWaitCursor();
    auto progress = platform.BeginProgress(desc.m_strHeader[0]);
    const std::uint64_t started = platform.Milliseconds();
    platform.Log("run: installation folder " + desc.m_strDestFolder + ", medium " + sourceFolder);

    const auto finish = [&](RunOutcome outcome) {
        platform.Log("run ended after " + DecimalText(platform.Milliseconds() - started) + " ms");
        return outcome;
    };

    std::string folder = desc.m_strDestFolder;
    if (auto refused = CheckInstallation(platform, desc, folder)) return finish(*refused);

    const std::string windowsDirectory = platform.WindowsDirectory();
    ItemRun items(platform, desc, sourceFolder, folder, windowsDirectory, medium, *progress);
    if (auto stopped = CheckBeforeChanges(platform, folder, items)) return finish(*stopped);

    RegisterFileType(platform, desc, folder);
    platform.ArchiveEntry6(0);
    platform.ArchiveEntry8(1);
    if (auto stopped = items.InstallAll()) return finish(*stopped);

    // The progress window is gone before the last word.
    progress.reset();
    platform.ShowMessage(text::kCompleted, text::kCaptionConfirm, MessageButtons::Ok);
    return finish(RunOutcome::Completed);
}

}  // namespace kavrel
