#include "update/UpdateItems.h"

#include <algorithm>
#include <cstdio>

#include "description/ItemRules.h"
#include "lha/Staging.h"
#include "platform/Text.h"
#include "update/ArchiveCommandLine.h"

namespace kavrel {
namespace {

// The archive library's output buffer.
constexpr std::size_t kArchiveOutputSize = 256;

std::string InsertDiskText(int disk) { return DecimalText(disk) + " 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。"; }
constexpr const char* kPromptCaption = "確認";

std::string BaseName(const std::string& stored) {
    const std::size_t cut = stored.find_last_of("/\\");
    return cut == std::string::npos ? stored : stored.substr(cut + 1);
}

// Follows the library's reports for the progress window and the log, and collects the
// names of the entries.
class ArchiveWatch : public ArchiveListener {
public:
    ArchiveWatch(EventLog& log, RunProgress& progress, bool logEntries)
        : log_(log), progress_(progress), logEntries_(logEntries) {}

    void OnArchiveProgress(const ArchiveProgress& p) override {
        bytesRead = std::max(bytesRead, p.bytesRead);
        switch (p.kind) {
        case ArchiveProgress::Kind::Begin:
        case ArchiveProgress::Kind::Bytes:
        case ArchiveProgress::Kind::End:
            message = p.message;
            progress_.Bytes(p.bytesRead, p.bytesTotal);
            break;
        case ArchiveProgress::Kind::Entry:
            names.push_back(p.entryName);
            entryBytes += p.entrySize;
            if (logEntries_) {
                char crc[8];
                std::snprintf(crc, sizeof crc, "%04X", static_cast<unsigned>(p.entryCrc));
                log_.Log("  entry " + p.entryName + ": " + DecimalText(p.entrySize) + " bytes, CRC " + crc +
                         (p.crcChecked ? " verified" : " not recorded in the archive"));
            }
            break;
        }
    }

    std::vector<std::string> names;
    std::uint64_t bytesRead = 0;
    std::string message;
    std::uint64_t entryBytes = 0;  // the entries' original sizes

private:
    EventLog& log_;
    RunProgress& progress_;
    bool logEntries_;
};

}  // namespace

ItemRun::ItemRun(const RunSeams& seams, const UpdateDescription& desc, int systemNumber,
                 const std::string& sourceFolder, const std::string& installFolder,
                 const std::string& windowsDirectory, MediumState& medium, RunProgress& progress,
                 MediumContents& contents)
    : seams_(seams),
      desc_(desc),
      items_(desc.m_items),
      systemNumber_(systemNumber),
      source_(sourceFolder),
      folder_(installFolder),
      windows_(windowsDirectory),
      medium_(medium),
      progress_(progress),
      contents_(contents),
      prepared_(items_.size(), false),
      newBytes_(items_.size(), 0) {
    // Asked once: the answer cannot change while the program runs from the medium.
    removable_ = Count() > 0 && seams_.drives.IsRemovableDrive(source_);
    lastDisk_ = removable_ ? medium_.diskInDrive : 1;
    mayAskForDiskOne_ = lastDisk_ != 1;
}

std::vector<int> ItemRun::Systems() const {
    return systemNumber_ == -1 ? std::vector<int>{} : std::vector<int>{systemNumber_};
}

std::string ItemRun::ArchiveName(int index) const {
    const std::string& name = ItemAt(index).name;
    if (!IsSystemArchive(name) || systemNumber_ == -1) return name;
    return SystemArchiveName(name, systemNumber_);
}

std::string ItemRun::Target(int index) const { return folder_ + ItemAt(index).subfolder; }

RunOutcome ItemRun::Stop(RunOutcome outcome, const std::string& detail) {
    return EndRun(seams_.user, seams_.log, outcome, detail);
}

std::optional<RunOutcome> ItemRun::CheckCommandLines() {
    for (int i = 0; i < Count(); ++i) {
        // Known since the installation check: refused before the registration, which
        // would otherwise report the missing name a second time.
        if (IsSystemArchive(ItemAt(i)) && systemNumber_ == -1) return Stop(RunOutcome::NoSystemName);
        if (ItemAt(i).kind != ItemKind::Archive) continue;
        const std::string archive = source_ + ArchiveName(i);
        switch (BuildArchiveCommandLines(windows_, archive, Target(i), folder_).problem) {
        case CommandLineProblem::None: break;
        case CommandLineProblem::FolderCharacters: return Stop(RunOutcome::FolderNotExpressible, folder_);
        case CommandLineProblem::FolderLength: return Stop(RunOutcome::FolderTooLong, folder_);
        case CommandLineProblem::MediumCharacters:
        case CommandLineProblem::MediumLength: return Stop(RunOutcome::MediumUnusable, ArchiveFileName(archive));
        }
    }
    return std::nullopt;
}

// Disk 1 is never asked for within a run: the program itself was started from it. Only a
// run after one that left another disk in the drive asks for it, before its first item.
bool ItemRun::NeedsPrompt(int index, int lastDisk, bool mayAskForDiskOne) const {
    const int disk = ItemAt(index).disk;
    if (!removable_ || disk == lastDisk) return false;
    return disk != 1 || mayAskForDiskOne;
}

bool ItemRun::DiskHoldsItem(int index) const {
    const std::vector<std::string> files = DiskTestFiles(ItemAt(index), Systems());
    return std::any_of(files.begin(), files.end(),
                       [&](const std::string& file) { return seams_.files.Exists(source_ + file); });
}

std::optional<RunOutcome> ItemRun::AskForDisk(int index) {
    const int disk = ItemAt(index).disk;
    const std::string prompt = InsertDiskText(disk);
    for (;;) {
        const MessageAnswer answer = seams_.user.ShowMessage(prompt, kPromptCaption, MessageButtons::OkCancel);
        if (answer == MessageAnswer::NoOneToAsk) {
            return Stop(RunOutcome::DiskNeeded, "disk " + DecimalText(disk) +
                                                    " is needed and no one can insert it: copy every disk into "
                                                    "one folder for an unattended update");
        }
        if (answer != MessageAnswer::Ok) return Stop(RunOutcome::Cancelled);
        if (DiskHoldsItem(index)) {
            lastDisk_ = disk;
            medium_.diskInDrive = disk;
            return std::nullopt;
        }
    }
}

std::optional<RunOutcome> ItemRun::VerifyDisk() {
    // What info.txt names on this disk must be listed: a file the list lacks was added.
    std::vector<std::string> named;
    if (!removable_ || lastDisk_ == 1) {
        named.push_back("info.txt");
        for (const std::string* art : {&desc_.m_strViewArtwork, &desc_.m_strIntroArtwork, &desc_.m_strDestArtwork,
                                       &desc_.m_strConfirmArtwork}) {
            if (!art->empty()) named.push_back(*art);
        }
    }
    for (int i = 0; i < Count(); ++i) {
        if (removable_ && ItemAt(i).disk != lastDisk_) continue;
        for (std::string& file : ItemSourceFiles(ItemAt(i), Systems())) named.push_back(std::move(file));
    }
    return contents_.VerifyDisk(source_, lastDisk_, removable_, named);
}

std::optional<RunOutcome> ItemRun::PrepareFirstDisk() {
    if (Count() == 0) return VerifyDisk();
    if (NeedsPrompt(0, lastDisk_, mayAskForDiskOne_)) {
        if (auto stopped = AskForDisk(0)) return stopped;
    }
    return PrepareDiskFrom(0);
}

std::optional<RunOutcome> ItemRun::CheckDiskInDrive() {
    if (auto stopped = VerifyDisk()) return stopped;
    std::uint64_t needed = 0;
    for (int i = 0; i < Count(); ++i) {
        if (removable_ && ItemAt(i).disk != lastDisk_) {
            seams_.log.Log("item " + DecimalText(i + 1) + ": on disk " + DecimalText(ItemAt(i).disk) + ", not checked");
            continue;
        }
        if (auto stopped = PrepareItem(i)) return stopped;
        prepared_[static_cast<std::size_t>(i)] = true;
        needed += newBytes_[static_cast<std::size_t>(i)];
    }
    return CheckSpace(needed);
}

// The new files of the items read from one disk, beside everything already on the drive
// (the earlier disks' items included): a replaced file goes only once its new one is in.
std::optional<RunOutcome> ItemRun::CheckSpace(std::uint64_t needed) {
    std::uint64_t free = 0;
    if (needed == 0 || !seams_.installation.FreeBytes(folder_, free) || needed <= free) return std::nullopt;
    return Stop(RunOutcome::NotEnoughSpace, folder_ + "\n必要: " + DecimalText(needed) + " バイト、空き: " +
                                                DecimalText(free) + " バイト");
}

std::optional<RunOutcome> ItemRun::PrepareDiskFrom(int first) {
    if (auto stopped = VerifyDisk()) return stopped;
    // The items read from the disk now in the drive: up to the next prompt.
    bool mayAsk = mayAskForDiskOne_;
    std::uint64_t needed = 0;
    for (int i = first; i < Count(); ++i) {
        if (i > first && NeedsPrompt(i, lastDisk_, mayAsk)) break;
        if (ItemAt(i).disk == 1) mayAsk = false;
        if (prepared_[static_cast<std::size_t>(i)]) continue;
        if (auto stopped = PrepareItem(i)) return stopped;
        prepared_[static_cast<std::size_t>(i)] = true;
        needed += newBytes_[static_cast<std::size_t>(i)];
    }
    return CheckSpace(needed);
}

// An archive is tested in full (every entry decoded, its length and CRC checked, nothing
// written), and everything the item will replace is opened as a replacement opens it:
// neither another program nor missing rights may stop it half way.
std::optional<RunOutcome> ItemRun::PrepareItem(int index) {
    const auto at = static_cast<std::size_t>(index);
    const std::string target = Target(index);
    std::vector<std::string> replaced;
    if (ItemAt(index).kind == ItemKind::Archive) {
        const std::string name = ArchiveName(index);
        const ArchiveCommandLines lines = BuildArchiveCommandLines(windows_, source_ + name, target, folder_);
        if (lines.problem != CommandLineProblem::None) return std::nullopt;  // refused up front
        progress_.Item(index + 1, Count(), name, true);
        ArchiveWatch watch(seams_.log, progress_, false);
        std::string output;
        if (seams_.archives.Command(lines.test, output, kArchiveOutputSize, watch) != 0) {
            seams_.log.Log("archive " + source_ + ArchiveFileName(name) + " failed its test");
            return Stop(RunOutcome::ArchiveFailed, Cp932ToUtf8(output));
        }
        seams_.log.Log("archive " + source_ + ArchiveFileName(name) + " tested: " + DecimalText(watch.names.size()) +
                       " entries decoded and checked, " + DecimalText(watch.entryBytes) + " bytes for " + target);
        for (const std::string& entry : watch.names) replaced.push_back(target + BaseName(entry));
        newBytes_[at] = watch.entryBytes;
    } else {
        FileStatus status;
        const std::string source = source_ + ItemAt(index).name;
        if (seams_.installation.GetFileStatus(source, status)) newBytes_[at] = status.size;
        replaced.push_back(target + PlainFileTargetName(ItemAt(index).name));
        seams_.log.Log("file " + source + ": " + DecimalText(newBytes_[at]) + " bytes for " + replaced.back());
    }
    // Nothing is written through a link below the installation folder (that one itself is
    // the user's choice): a user who may write there could point a folder at the system's.
    std::string below = folder_;
    const std::string& sub = ItemAt(index).subfolder;
    std::vector<std::string> links;
    for (std::size_t i = 0; i < sub.size(); ++i) {
        below += sub[i];
        if ((sub[i] == '\\' || sub[i] == '/') && below.size() > folder_.size() + 1) links.push_back(below);
    }
    links.insert(links.end(), replaced.begin(), replaced.end());
    for (const std::string& path : links) {
        if (seams_.installation.IsLink(path)) {
            seams_.log.Log("link " + path + ": refused, nothing is written through it");
            return Stop(RunOutcome::LinkInTheWay, path);
        }
    }
    // A folder the item adds files to must take new ones (the installation folder itself
    // was checked before).
    if (target != folder_ && seams_.files.Exists(target) && !seams_.installation.CanCreateFileIn(target)) {
        seams_.log.Log("folder " + target + ": a new file cannot be created there");
        return Stop(RunOutcome::FolderNotWritable, target);
    }
    for (const std::string& path : replaced) {
        switch (seams_.installation.ProbeReplace(path)) {
        case ReplaceProbe::Free: break;
        case ReplaceProbe::InUse:
            seams_.log.Log("file " + path + " is in use by another program");
            return Stop(RunOutcome::FileInUse, path);
        case ReplaceProbe::AccessDenied:
            seams_.log.Log("file " + path + " cannot be replaced: access denied");
            return Stop(RunOutcome::FolderNotWritable, path);
        }
    }
    return std::nullopt;
}

void ItemRun::Record(int begun, int done) {
    if (!journal_) return;
    state_->itemBegun = begun;
    state_->itemsDone = done;
    // The commit of an item has its own record: a journal that lags behind loses nothing.
    if (!journal_->Write(*state_)) seams_.log.Log("journal: the state could not be written");
}

std::optional<RunOutcome> ItemRun::InstallAll() {
    for (int i = 0; i < Count(); ++i) {
        if (auto stopped = Install(i)) return stopped;
        Record(0, i + 1);
    }
    return std::nullopt;
}

std::optional<RunOutcome> ItemRun::Install(int index) {
    if (NeedsPrompt(index, lastDisk_, mayAskForDiskOne_)) {
        if (auto stopped = AskForDisk(index)) return stopped;
        if (auto stopped = PrepareDiskFrom(index)) return stopped;
    }
    if (ItemAt(index).disk == 1) mayAskForDiskOne_ = false;
    if (!prepared_[static_cast<std::size_t>(index)]) {
        if (auto stopped = PrepareItem(index)) return stopped;
        prepared_[static_cast<std::size_t>(index)] = true;
    }

    const std::string target = Target(index);
    Record(index + 1, index);
    // One level only; a copy into a folder that is still missing reports the failure.
    if (!seams_.files.Exists(target)) seams_.installation.MakeDirectory(target);
    return ItemAt(index).kind == ItemKind::Archive ? InstallArchive(index, target) : CopyPlainFile(index, target);
}

std::optional<RunOutcome> ItemRun::InstallArchive(int index, const std::string& target) {
    // The extended name is this run's: the description keeps the item as info.txt names
    // it, so a later run against another system extracts that system's archive.
    const std::string name = ArchiveName(index);
    const ArchiveCommandLines lines = BuildArchiveCommandLines(windows_, source_ + name, target, folder_);
    if (lines.problem != CommandLineProblem::None) {
        return Stop(RunOutcome::MediumUnusable, source_ + ArchiveFileName(name));
    }

    progress_.Item(index + 1, Count(), name, false);
    const std::uint64_t started = seams_.machine.Milliseconds();
    ArchiveWatch watch(seams_.log, progress_, true);
    std::string output;
    const int result = seams_.archives.Command(lines.extract, output, kArchiveOutputSize, watch);
    seams_.log.Log("item " + DecimalText(index + 1) + "/" + DecimalText(Count()) + ": archive " + source_ +
                   ArchiveFileName(name) + " (disk " + DecimalText(ItemAt(index).disk) + ") -> " + target + ": " +
                   (result == 0 ? "" : "failed, ") + DecimalText(watch.names.size()) + " entries, " +
                   DecimalText(watch.bytesRead) + " bytes read, " +
                   DecimalText(seams_.machine.Milliseconds() - started) + " ms");
    // The library's whole message: its output may have been cut to fit.
    if (!watch.message.empty()) seams_.log.Log("archive library: " + watch.message);
    if (result != 0) return Stop(RunOutcome::ArchiveFailed, Cp932ToUtf8(output));
    return std::nullopt;
}

// A plain file goes the way of an archive's entries: copied into the work folder,
// checked against its source's length and flushed, then swapped in with the old file
// set aside until the swap is done. The copy is a new file: no attribute of the old one
// or of the source survives; the source's modification time is kept.
std::optional<RunOutcome> ItemRun::CopyPlainFile(int index, const std::string& target) {
    const std::string source = source_ + ItemAt(index).name;
    const std::string destination = target + PlainFileTargetName(ItemAt(index).name);
    progress_.Item(index + 1, Count(), ItemAt(index).name, false);
    const std::uint64_t started = seams_.machine.Milliseconds();
    FileStatus status;
    std::uint64_t copied = 0;
    std::string error;
    std::unique_ptr<InputFile> in = seams_.files.OpenRead(source);
    lha::Staging staging(seams_.staging, WorkFolderOf(folder_));
    std::unique_ptr<lha::OutputFile> out;
    if (in && seams_.installation.GetFileStatus(source, status)) out = staging.Add(target, destination);
    bool ok = out != nullptr;
    std::vector<char> buffer(256 * 1024);
    while (ok) {
        const std::size_t n = in->Read(buffer.data(), buffer.size());
        if (n == 0) break;
        ok = out->Write(buffer.data(), n);
        copied += n;
        progress_.Bytes(copied, status.size);
    }
    // A read error looks like the end of the file: the length tells them apart.
    ok = ok && out->Close() && copied == status.size;
    out.reset();
    if (!ok || !staging.Commit(error)) {
        seams_.log.Log(Concat({"item ", DecimalText(index + 1), ": copy ", source, " -> ", destination, " failed after ",
                               DecimalText(copied), " of ", DecimalText(status.size), " bytes ", error}));
        return Stop(RunOutcome::CopyFailed, destination);
    }
    // Windows marks a new file for archiving: no flag survives; the source's time is kept.
    FileStatus placed;
    if (!seams_.installation.GetFileStatus(destination, placed)) return Stop(RunOutcome::AttributesFailed, source);
    placed.lastWriteTime = status.lastWriteTime;
    placed.attributes = 0;
    if (!seams_.installation.SetFileStatus(destination, placed)) return Stop(RunOutcome::AttributesFailed, source);
    seams_.log.Log(Concat({"item ", DecimalText(index + 1), "/", DecimalText(Count()), ": file ", source, " (disk ",
                           DecimalText(ItemAt(index).disk), ") -> ", destination, ": ", DecimalText(copied), " bytes, ",
                           DecimalText(seams_.machine.Milliseconds() - started), " ms"}));
    return std::nullopt;
}

}  // namespace kavrel
