#include "update/UpdateItems.h"

#include <algorithm>
#include <cstdio>

#include "description/ItemRules.h"
#include "platform/Text.h"
#include "update/ArchiveCommandLine.h"
#include "description/SplitPath.h"
#include "update/UpdateMessages.h"

namespace kavrel {
namespace {

namespace text = update_text;

// The archive library's output buffer.
constexpr std::size_t kArchiveOutputSize = 256;
constexpr std::uint32_t kReadOnly = 0x01;

std::string BaseName(const std::string& stored) {
    const std::size_t cut = stored.find_last_of("/\\");
    return cut == std::string::npos ? stored : stored.substr(cut + 1);
}

// Follows the library's reports for the progress window and the log, and collects the
// names of the entries.
class ArchiveWatch : public ArchiveListener {
public:
    ArchiveWatch(Platform& platform, RunProgress& progress, bool logEntries)
        : platform_(platform), progress_(progress), logEntries_(logEntries) {}

    void OnArchiveProgress(const ArchiveProgress& p) override {
        bytesRead = std::max(bytesRead, p.bytesRead);
        switch (p.kind) {
        case ArchiveProgress::Kind::Begin:
        case ArchiveProgress::Kind::Bytes:
        case ArchiveProgress::Kind::End:
            progress_.Bytes(p.bytesRead, p.bytesTotal);
            break;
        case ArchiveProgress::Kind::Entry:
            names.push_back(p.entryName);
            if (logEntries_) {
                char crc[8];
                std::snprintf(crc, sizeof crc, "%04X", static_cast<unsigned>(p.entryCrc));
                platform_.Log("  entry " + p.entryName + ": " + DecimalText(p.entrySize) + " bytes, CRC " + crc +
                              (p.crcChecked ? " verified" : " not recorded in the archive"));
            }
            break;
        }
    }

    std::vector<std::string> names;
    std::uint64_t bytesRead = 0;

private:
    Platform& platform_;
    RunProgress& progress_;
    bool logEntries_;
};

}  // namespace

ItemRun::ItemRun(Platform& platform, UpdateDescription& desc, const std::string& sourceFolder,
                 const std::string& installFolder, const std::string& windowsDirectory, MediumState& medium,
                 RunProgress& progress)
    : platform_(platform),
      desc_(desc),
      source_(sourceFolder),
      folder_(installFolder),
      windows_(windowsDirectory),
      medium_(medium),
      progress_(progress),
      prepared_(kMaxItems, false) {
    // Asked once: the answer cannot change while the program runs from the medium.
    removable_ = Count() > 0 && platform_.IsRemovableDrive(source_);
    lastDisk_ = removable_ ? medium_.diskInDrive : 1;
    mayAskForDiskOne_ = lastDisk_ != 1;
}

int ItemRun::Count() const { return std::clamp(desc_.m_nItemCount, 0, kMaxItems); }

std::string ItemRun::ArchiveName(int index) const {
    const std::string& name = desc_.m_strItemName[index];
    if (!IsSystemArchive(name) || desc_.m_nSystemNumber == -1) return name;
    return name + DecimalText(desc_.m_nSystemNumber);
}

std::string ItemRun::Target(int index) const { return folder_ + desc_.m_strItemSubfolder[index]; }

std::optional<RunOutcome> ItemRun::Refuse(const std::string& message, RunOutcome outcome) {
    platform_.ShowMessage(message, RunResult(outcome) == 0 ? text::kCaptionError : text::kCaptionConfirm,
                          MessageButtons::Ok);
    return outcome;
}

std::optional<RunOutcome> ItemRun::CheckCommandLines() {
    for (int i = 0; i < Count(); ++i) {
        if (desc_.m_nItemKind[i] != kItemKindArchive) continue;
        // A per-system archive without a system is refused when it is reached.
        if (IsSystemArchive(desc_.m_strItemName[i]) && desc_.m_nSystemNumber == -1) continue;
        const std::string archive = source_ + ArchiveName(i);
        const ArchiveCommandLines lines = BuildArchiveCommandLines(windows_, archive, Target(i), folder_);
        switch (lines.problem) {
        case CommandLineProblem::None: break;
        case CommandLineProblem::FolderCharacters:
            return Refuse(text::FolderNotExpressible(folder_), RunOutcome::FolderUnusable);
        case CommandLineProblem::FolderLength:
            return Refuse(text::FolderTooLong(folder_), RunOutcome::FolderUnusable);
        case CommandLineProblem::MediumCharacters:
        case CommandLineProblem::MediumLength:
            platform_.ShowMessage(text::MediumUnusable(archive + ".lzh"), text::kCaptionError, MessageButtons::Ok);
            return RunOutcome::MediumUnusable;
        }
    }
    return std::nullopt;
}

// Disk 1 is never asked for within a run: the program itself was started from it. Only a
// run after one that left another disk in the drive asks for it, before its first item.
bool ItemRun::NeedsPrompt(int index, int lastDisk, bool mayAskForDiskOne) const {
    const int disk = desc_.m_nItemDisk[index];
    if (!removable_ || disk == lastDisk) return false;
    return disk != 1 || mayAskForDiskOne;
}

// Whether the disk now in the drive holds the item. The product looks for "<name>.lzh"
// for every kind of item; a plain file or a per-system archive is never stored under that
// name, so their real file names count as well, or the prompt could never be passed.
bool ItemRun::DiskHoldsItem(int index) const {
    const std::string& name = desc_.m_strItemName[index];
    const std::string path = source_ + name;
    if (platform_.Exists(path + ".lzh")) return true;
    if (desc_.m_nItemKind[index] != kItemKindArchive) return platform_.Exists(path);
    return IsSystemArchive(name) && desc_.m_nSystemNumber != -1 &&
           platform_.Exists(source_ + ArchiveName(index) + ".lzh");
}

std::optional<RunOutcome> ItemRun::AskForDisk(int index) {
    const int disk = desc_.m_nItemDisk[index];
    const std::string prompt = text::InsertDisk(disk);
    for (;;) {
        const MessageAnswer answer = platform_.ShowMessage(prompt, text::kCaptionConfirm, MessageButtons::OkCancel);
        if (answer == MessageAnswer::NoOneToAsk) {
            platform_.Log("disk " + DecimalText(disk) + " is needed and no one can insert it: copy every disk "
                          "into one folder for an unattended update");
            return RunOutcome::DiskNeeded;
        }
        if (answer != MessageAnswer::Ok) {
            platform_.ShowMessage(text::kCancelled, text::kCaptionConfirm, MessageButtons::Ok);
            return RunOutcome::Cancelled;
        }
        if (DiskHoldsItem(index)) {
            lastDisk_ = disk;
            medium_.diskInDrive = disk;
            return std::nullopt;
        }
    }
}

std::optional<RunOutcome> ItemRun::PrepareFirstDisk() {
    if (Count() == 0) return std::nullopt;
    if (NeedsPrompt(0, lastDisk_, mayAskForDiskOne_)) {
        // Another disk comes first: the one in the drive holds nothing to check now.
        if (desc_.m_nItemDisk[0] != 1) return std::nullopt;
        if (auto stopped = AskForDisk(0)) return stopped;
    }
    return PrepareDiskFrom(0);
}

std::optional<RunOutcome> ItemRun::PrepareDiskFrom(int first) {
    // The items read from the disk now in the drive: up to the next prompt.
    bool mayAsk = mayAskForDiskOne_;
    for (int i = first; i < Count(); ++i) {
        if (i > first && NeedsPrompt(i, lastDisk_, mayAsk)) break;
        if (desc_.m_nItemDisk[i] == 1) mayAsk = false;
        if (prepared_[i]) continue;
        if (auto stopped = PrepareItem(i)) return stopped;
        prepared_[i] = true;
    }
    return std::nullopt;
}

// An archive is tested in full (every entry decoded, its length and CRC checked, nothing
// written) and nothing the item will replace may be held open by another program.
std::optional<RunOutcome> ItemRun::PrepareItem(int index) {
    const std::string target = Target(index);
    std::vector<std::string> replaced;
    if (desc_.m_nItemKind[index] == kItemKindArchive) {
        if (IsSystemArchive(desc_.m_strItemName[index]) && desc_.m_nSystemNumber == -1) return std::nullopt;
        const std::string name = ArchiveName(index);
        const ArchiveCommandLines lines = BuildArchiveCommandLines(windows_, source_ + name, target, folder_);
        if (lines.problem != CommandLineProblem::None) return std::nullopt;  // refused up front
        progress_.Item(index + 1, Count(), name, true);
        ArchiveWatch watch(platform_, progress_, false);
        std::string output;
        if (platform_.ArchiveCommand(lines.test, output, kArchiveOutputSize, &watch) != 0) {
            platform_.Log("archive " + source_ + name + ".lzh failed its test");
            platform_.ShowMessage(Cp932ToUtf8(output), text::kCaptionConfirm, MessageButtons::Ok);
            return RunOutcome::ArchiveFailed;
        }
        platform_.Log("archive " + source_ + name + ".lzh tested: " + DecimalText(watch.names.size()) +
                      " entries decoded and checked");
        for (const std::string& entry : watch.names) replaced.push_back(target + BaseName(entry));
    } else {
        const PathParts parts = SplitPath(desc_.m_strItemName[index]);
        replaced.push_back(target + parts.fname + parts.ext);
    }
    for (const std::string& path : replaced) {
        if (platform_.IsFileInUse(path)) {
            platform_.Log("file " + path + " is in use by another program");
            return Refuse(text::FileInUse(path), RunOutcome::ProductInUse);
        }
    }
    return std::nullopt;
}

std::optional<RunOutcome> ItemRun::InstallAll() {
    for (int i = 0; i < Count(); ++i) {
        if (auto stopped = Install(i)) return stopped;
    }
    return std::nullopt;
}

std::optional<RunOutcome> ItemRun::Install(int index) {
    // No prompt for a disk whose archive could not be used anyway.
    if (desc_.m_nItemKind[index] == kItemKindArchive && IsSystemArchive(desc_.m_strItemName[index]) &&
        desc_.m_nSystemNumber == -1) {
        platform_.ShowMessage(text::kNoSystemName, text::kCaptionUpdateError, MessageButtons::Ok);
        return RunOutcome::NoSystemName;
    }
    if (NeedsPrompt(index, lastDisk_, mayAskForDiskOne_)) {
        if (auto stopped = AskForDisk(index)) return stopped;
        if (auto stopped = PrepareDiskFrom(index)) return stopped;
    }
    if (desc_.m_nItemDisk[index] == 1) mayAskForDiskOne_ = false;
    if (!prepared_[index]) {
        if (auto stopped = PrepareItem(index)) return stopped;
        prepared_[index] = true;
    }

    const std::string target = Target(index);
    // One level only; a copy into a folder that is still missing reports the failure.
    if (!platform_.Exists(target)) platform_.MakeDirectory(target);
    return desc_.m_nItemKind[index] == kItemKindArchive ? InstallArchive(index, target)
                                                         : CopyPlainFile(index, target);
}

std::optional<RunOutcome> ItemRun::InstallArchive(int index, const std::string& target) {
    // The extended name is this run's: the description keeps the item as info.txt names
    // it, so a later run against another system extracts that system's archive.
    const std::string name = ArchiveName(index);
    const ArchiveCommandLines lines = BuildArchiveCommandLines(windows_, source_ + name, target, folder_);
    if (lines.problem != CommandLineProblem::None) {
        platform_.ShowMessage(text::MediumUnusable(source_ + name + ".lzh"), text::kCaptionError, MessageButtons::Ok);
        return RunOutcome::MediumUnusable;
    }

    progress_.Item(index + 1, Count(), name, false);
    const std::uint64_t started = platform_.Milliseconds();
    ArchiveWatch watch(platform_, progress_, true);
    std::string output;
    const int result = platform_.ArchiveCommand(lines.extract, output, kArchiveOutputSize, &watch);
    platform_.Log("item " + DecimalText(index + 1) + "/" + DecimalText(Count()) + ": archive " + source_ +
                  name + ".lzh (disk " + DecimalText(desc_.m_nItemDisk[index]) + ") -> " + target + ": " +
                  (result == 0 ? "" : "failed, ") + DecimalText(watch.names.size()) + " entries, " +
                  DecimalText(watch.bytesRead) + " bytes read, " +
                  DecimalText(platform_.Milliseconds() - started) + " ms");
    if (result != 0) {
        platform_.ShowMessage(Cp932ToUtf8(output), text::kCaptionConfirm, MessageButtons::Ok);
        return RunOutcome::ArchiveFailed;
    }
    return std::nullopt;
}

std::optional<RunOutcome> ItemRun::CopyPlainFile(int index, const std::string& target) {
    const std::string source = source_ + desc_.m_strItemName[index];
    // The item's directory part says where it lies on the medium, not where it goes.
    const PathParts parts = SplitPath(source);
    const std::string destination = target + parts.fname + parts.ext;
    progress_.Item(index + 1, Count(), desc_.m_strItemName[index], false);
    const std::uint64_t started = platform_.Milliseconds();

    // Windows will not copy over a read-only file; the copy loses every attribute anyway.
    FileStatus old;
    const bool unlocked = platform_.Exists(destination) && platform_.GetFileStatus(destination, old) &&
                          (old.attributes & kReadOnly) != 0;
    if (unlocked) {
        FileStatus writable = old;
        writable.attributes &= ~kReadOnly;
        platform_.SetFileStatus(destination, writable);
    }
    if (!platform_.CopyFileOverwrite(source, destination)) {
        if (unlocked) platform_.SetFileStatus(destination, old);
        platform_.Log("item " + DecimalText(index + 1) + ": copy " + source + " -> " + destination + " failed");
        platform_.ShowMessage(text::CopyFailed(destination), text::kCaptionConfirm, MessageButtons::Ok);
        return RunOutcome::CopyFailed;
    }
    FileStatus status;
    if (!platform_.GetFileStatus(destination, status)) {
        platform_.ShowMessage(text::AttributesFailed(source), text::kCaptionConfirm, MessageButtons::Ok);
        return RunOutcome::AttributesFailed;
    }
    progress_.Bytes(status.size, status.size);
    // A plain file: no read-only, hidden, system or archive flag survives; times are kept.
    status.attributes = 0;
    if (!platform_.SetFileStatus(destination, status)) {
        platform_.ShowMessage(text::AttributesFailed(source), text::kCaptionConfirm, MessageButtons::Ok);
        return RunOutcome::AttributesFailed;
    }
    platform_.Log("item " + DecimalText(index + 1) + "/" + DecimalText(Count()) + ": file " + source +
                  " (disk " + DecimalText(desc_.m_nItemDisk[index]) + ") -> " + destination + ": " +
                  DecimalText(status.size) + " bytes, " + DecimalText(platform_.Milliseconds() - started) +
                  " ms");
    return std::nullopt;
}

}  // namespace kavrel
