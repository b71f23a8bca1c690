// The item loop of the update run: disk prompts, the checks of the items a disk holds
// before the first of them is installed, target folders, archive extraction and plain
// copies, strictly in table order; the first failure stops the run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "update/Journal.h"
#include "update/MediumContents.h"
#include "update/UpdateRun.h"

namespace kavrel {

class ItemRun {
public:
    // `systemNumber`: the installed system, -1 when none was found.
    ItemRun(const RunSeams& seams, const UpdateDescription& desc, int systemNumber, const std::string& sourceFolder,
            const std::string& installFolder, const std::string& windowsDirectory, MediumState& medium,
            RunProgress& progress, MediumContents& contents);
    ItemRun(const ItemRun&) = delete;
    ItemRun& operator=(const ItemRun&) = delete;

    // Before anything is changed: every archive's command line reaches the library whole,
    // and a per-system archive has a system to be extracted for.
    std::optional<RunOutcome> CheckCommandLines();
    // Still before any change: the disk the first items lie on is in the drive (asked
    // for when it is a later one), every item read from it is tested and free to be
    // replaced, and the drive holds what they bring.
    std::optional<RunOutcome> PrepareFirstDisk();
    // From now on, each item begun and done is written to `journal` (in `state`).
    void Track(Journal& journal, JournalState& state) {
        journal_ = &journal;
        state_ = &state;
    }
    // A check that changes nothing and asks for no disk: every item on the disk in the
    // drive is prepared as PrepareFirstDisk prepares it (its log line says what the item
    // would bring where), the others are named as not checked.
    std::optional<RunOutcome> CheckDiskInDrive();
    // Installs the items in order; empty when every one was installed.
    std::optional<RunOutcome> InstallAll();

private:
    int Count() const { return static_cast<int>(items_.size()); }
    const UpdateItem& ItemAt(int index) const { return items_[static_cast<std::size_t>(index)]; }
    bool NeedsPrompt(int index, int lastDisk, bool mayAskForDiskOne) const;
    bool DiskHoldsItem(int index) const;
    std::optional<RunOutcome> AskForDisk(int index);
    // The disk now in the drive against the medium's content list, before any of it is used.
    std::optional<RunOutcome> VerifyDisk();
    // Tests and checks every item read from the disk now in the drive, from `first` on.
    std::optional<RunOutcome> PrepareDiskFrom(int first);
    std::optional<RunOutcome> PrepareItem(int index);
    // Whether the installation's drive holds the new bytes of the items just prepared.
    std::optional<RunOutcome> CheckSpace(std::uint64_t needed);
    std::optional<RunOutcome> Install(int index);
    std::optional<RunOutcome> InstallArchive(int index, const std::string& target);
    std::optional<RunOutcome> CopyPlainFile(int index, const std::string& target);
    void Record(int begun, int done);
    RunOutcome Stop(RunOutcome outcome, const std::string& detail = {});

    // The systems whose per-system archive this run may extract: the installed one.
    std::vector<int> Systems() const;
    // The name an archive item is extracted under: a per-system archive gets the number.
    std::string ArchiveName(int index) const;
    std::string Target(int index) const;

    const RunSeams& seams_;
    const UpdateDescription& desc_;
    const std::vector<UpdateItem>& items_;
    const int systemNumber_;
    const std::string& source_;
    const std::string& folder_;
    const std::string& windows_;
    MediumState& medium_;
    RunProgress& progress_;
    MediumContents& contents_;
    bool removable_ = false;
    int lastDisk_ = 1;
    // After a run that left another disk in the drive, disk 1 is asked for once.
    bool mayAskForDiskOne_ = false;
    std::vector<bool> prepared_;
    Journal* journal_ = nullptr;
    JournalState* state_ = nullptr;
    // The new bytes each prepared item brings.
    std::vector<std::uint64_t> newBytes_;
};

}  // namespace kavrel
