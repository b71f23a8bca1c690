#include "update/UpdateRun.h"

#include "checks/FileTypeRegistration.h"
#include "checks/SystemIdentification.h"
#include "checks/VersionCheck.h"
#include "description/InstallationRules.h"
#include "platform/Text.h"
#include "update/Journal.h"
#include "update/Recovery.h"
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

// The installation's checks: whether this update is for it, and which system it is. The
// refusal is not shown yet: an earlier update's journal may change what it says.
std::optional<RunOutcome> CheckInstallation(const RunSeams& seams, UpdateDescription& desc, std::string& folder,
                                            const std::string& begunFrom) {
    if (ProbeInstallFolder(seams, desc, folder) != 1) return RunOutcome::FolderRefused;
    if (CheckMainProgram(seams.files, seams.log, folder) != 1 ||
        CheckVersion(seams.files, seams.log, desc, folder, begunFrom) != 1) {
        return RunOutcome::VersionRefused;
    }
    desc.m_nSystemNumber = FindSystemNumber(seams.folders, seams.log, desc, folder);
    return std::nullopt;
}

// The work folder of the chosen installation, locked for this run; removed again at its
// end when nothing is left in it (a journal of an unfinished update, old files kept).
class HeldWorkFolder {
public:
    HeldWorkFolder(InstallationFiles& files, std::string path) : files_(files), path_(std::move(path)) {
        result_ = files_.LockWorkFolder(path_, lock_);
    }
    ~HeldWorkFolder() {
        if (!lock_) return;
        lock_.reset();
        files_.RemoveWorkFolder(path_);
    }
    HeldWorkFolder(const HeldWorkFolder&) = delete;
    HeldWorkFolder& operator=(const HeldWorkFolder&) = delete;
    InstallationFiles::LockResult Result() const { return result_; }
    bool Held() const { return lock_ != nullptr; }
    const std::string& Path() const { return path_; }

private:
    InstallationFiles& files_;
    std::string path_;
    std::unique_ptr<InstallationFiles::Lock> lock_;
    InstallationFiles::LockResult result_;
};

// What would stop the update half way and can be known without writing anything.
std::optional<RunOutcome> CheckBeforeChanges(const RunSeams& seams, const std::string& folder, ItemRun& items,
                                             MediumContents& contents, const HeldWorkFolder& work, RunMode mode) {
    // Kavrel's own signature and the list it carries, before anything of the medium is used.
    if (auto stopped = contents.Load()) return stopped;
    if (auto stopped = items.CheckCommandLines()) return stopped;
    // Without its work folder the run could not stage, record or recover anything.
    if (!work.Held()) {
        seams.log.Log("work folder " + work.Path() + ": it cannot be made or used");
        return EndRun(seams.user, seams.log, RunOutcome::FolderNotWritable, work.Path());
    }
    if (!seams.installation.CanCreateFileIn(folder)) {
        seams.log.Log("installation folder " + folder + ": a new file cannot be created there");
        return EndRun(seams.user, seams.log, RunOutcome::FolderNotWritable, folder);
    }
    const std::string program = folder + "\\main.exe";
    if (seams.machine.IsProgramRunning(program)) {
        seams.log.Log("program " + program + " is running");
        return EndRun(seams.user, seams.log, RunOutcome::ProductRunning, program);
    }
    return mode == RunMode::Check ? items.CheckDiskInDrive() : items.PrepareFirstDisk();
}

constexpr const char* kCheckPassedText = "この更新は適用できます。\n（確認のみ: 何も変更していません）";

}  // namespace

RunOutcome RunUpdate(const RunSeams& seams, UpdateDescription& desc, const std::string& sourceFolder,
                     MediumState& medium, RunMode mode) {
    // Held until the run returns; its message boxes are shown under it, as they always were.
    const auto waitCursor = seams.user.BeginWaitCursor();
    auto progress = seams.user.BeginProgress(desc.m_strHeader[0]);
    const std::uint64_t started = seams.machine.Milliseconds();
    seams.log.Log(std::string(mode == RunMode::Check ? "check (nothing is changed)" : "run") +
                  ": installation folder " + desc.m_strDestFolder + ", medium " + sourceFolder);

    const auto finish = [&](RunOutcome outcome) {
        seams.log.Log("run ended after " + DecimalText(seams.machine.Milliseconds() - started) + " ms");
        return outcome;
    };

    // Items lost from a damaged description would go unseen: nothing is looked at or changed.
    if (desc.m_bDamaged) {
        return finish(EndRun(seams.user, seams.log, RunOutcome::DescriptionDamaged, sourceFolder + "info.txt"));
    }
    std::string folder = desc.m_strDestFolder;
    // One run at a time on an installation, and what an earlier one left comes first.
    HeldWorkFolder work(seams.installation, WorkFolderOf(folder));
    if (work.Result() == InstallationFiles::LockResult::Busy) {
        seams.log.Log("work folder " + work.Path() + ": another run holds it");
        return finish(EndRun(seams.user, seams.log, RunOutcome::AnotherRun, folder));
    }
    const std::string infoSha256 = FileSha256(seams.hashing, seams.files, sourceFolder + "info.txt");
    RecoveryResult recovered;
    // A check recovers nothing: it reads what a run would find and says so.
    if (work.Held()) {
        recovered = mode == RunMode::Install ? RecoverInstallation(seams, desc, folder, work.Path(), infoSha256)
                                             : PendingRecovery(seams, work.Path(), infoSha256);
    }
    const std::string begunFrom = recovered.sameMedium ? recovered.journal->begunFrom : std::string();

    if (auto refused = CheckInstallation(seams, desc, folder, begunFrom)) {
        if (recovered.journal && !recovered.sameMedium) {
            return finish(EndRun(seams.user, seams.log, RunOutcome::EarlierUpdateUnfinished,
                                 "「" + recovered.journal->title + "」（" + recovered.journal->targetVersion + "）"));
        }
        return finish(EndRun(seams.user, seams.log, *refused));
    }

    const std::string windowsDirectory = seams.machine.WindowsDirectory();
    MediumContents contents(seams);
    ItemRun items(seams, desc, desc.m_nSystemNumber, sourceFolder, folder, windowsDirectory, medium, *progress,
                  contents);
    if (auto stopped = CheckBeforeChanges(seams, folder, items, contents, work, mode)) return finish(*stopped);
    if (mode == RunMode::Check) {
        progress.reset();
        seams.user.ShowMessage(kCheckPassedText, "確認", MessageButtons::Ok);
        seams.log.Log("check outcome: the update would apply, exit code 0");
        return finish(RunOutcome::Completed);
    }

    // The journal is on the disk before the first change.
    JournalState state;
    state.title = desc.m_strHeader[0];
    state.targetVersion = desc.m_strTargetVersion;
    state.infoSha256 = infoSha256;
    state.begunFrom = recovered.sameMedium ? begunFrom : InstalledVersion(seams.files, folder).value_or(std::string());
    Journal journal(seams.staging, work.Path());
    if (!journal.Write(state)) {
        seams.log.Log("journal in " + work.Path() + ": it cannot be written");
        return finish(EndRun(seams.user, seams.log, RunOutcome::FolderNotWritable, work.Path()));
    }
    items.Track(journal, state);

    RegisterFileType(seams.registry, seams.user, seams.log, desc.m_nSystemNumber, folder);
    seams.archives.Entry6(0);
    seams.archives.Entry8(1);
    // A run that stops here keeps its journal: the same medium can finish it.
    if (auto stopped = items.InstallAll()) return finish(*stopped);
    journal.Remove();

    // The progress window is gone before the last word.
    progress.reset();
    return finish(EndRun(seams.user, seams.log, RunOutcome::Completed));
}

}  // namespace kavrel
