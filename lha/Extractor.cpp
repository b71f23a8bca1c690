#include "lha/Extractor.h"

#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include "lha/Archive.h"
#include "lha/Crc16.h"
#include "lha/Messages.h"
#include "lha/SafeName.h"
#include "lha/Staging.h"
#include "platform/Text.h"

namespace kavrel::lha {
namespace {

// Compressed bytes read so far in one run, reported as they grow.
struct Progress {
    ExtractionObserver* observer = nullptr;
    std::uint64_t bytesRead = 0;
    void Add(std::size_t n) {
        bytesRead += n;
        if (observer) observer->OnBytesRead(bytesRead);
    }
};

// The compressed bytes of one entry.
class RegionSource : public ByteSource {
public:
    RegionSource(RandomAccess& file, std::uint64_t offset, std::uint64_t size, Progress& progress)
        : file_(file), offset_(offset), left_(size), progress_(progress) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = left_ < size ? static_cast<std::size_t>(left_) : size;
        if (n == 0 || !file_.ReadAt(offset_, buffer, n)) return 0;
        offset_ += n;
        left_ -= n;
        progress_.Add(n);
        return n;
    }

    // Bytes handed over in place count as read.
    const std::uint8_t* View(std::size_t& size) override {
        size = 0;
        if (left_ == 0 || left_ > SIZE_MAX) return nullptr;
        const std::uint8_t* v = file_.View(offset_, static_cast<std::size_t>(left_));
        if (!v) return nullptr;
        size = static_cast<std::size_t>(left_);
        offset_ += left_;
        progress_.Add(size);
        left_ = 0;
        return v;
    }
    void Release(const std::uint8_t* upTo) override { file_.Release(upTo); }

private:
    RandomAccess& file_;
    std::uint64_t offset_;
    std::uint64_t left_;
    Progress& progress_;
};

// Counts and checksums what the decoder produces, and stores it when given a file.
class CheckingSink : public Sink {
public:
    explicit CheckingSink(OutputFile* out) : out_(out) {}
    bool Write(const std::uint8_t* data, std::size_t size) override {
        crc_ = UpdateCrc16(crc_, data, size);
        length_ += size;
        return out_ == nullptr || out_->Write(data, size);
    }
    std::uint16_t Crc() const { return crc_; }
    std::uint64_t Length() const { return length_; }

private:
    OutputFile* out_;
    std::uint16_t crc_ = 0;
    std::uint64_t length_ = 0;
};

struct Planned {
    const EntryHeader* header;
    std::vector<std::string> folders;  // UTF-8, below the destination (x only)
    std::string name;                  // UTF-8; empty for a folder entry
};

std::int64_t EntryTime(const EntryHeader& h) {
    if (h.hasUnixTime) return h.unixTime;
    const std::uint32_t t = h.dosTime;
    std::tm tm{};
    tm.tm_year = static_cast<int>((t >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((t >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((t >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((t >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((t >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>((t & 0x1F) * 2);
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

// Checks names; fills `plan`. False with the message. `t` refuses what `e` would, so an
// archive that tests well extracts.
bool PlanEntry(Command command, const EntryHeader& h, Planned& plan, std::string& error) {
    const std::string display = msg::EntryName(h);
    plan.header = &h;
    plan.name = h.fileNameUtf8;
    if (command == Command::ExtractWithPaths) {
        if (h.absolute) {
            error = msg::OutsideDestination(display);
            return false;
        }
        for (const std::string& u : h.directoryUtf8) {
            if (u == ".") continue;
            if (u == "..") {
                error = msg::OutsideDestination(display);
                return false;
            }
            const NameProblem p = CheckComponent(u);
            if (p != NameProblem::None) {
                error = msg::UnsafeName(display, p);
                return false;
            }
            plan.folders.push_back(u);
        }
        if (h.IsDirectory()) {
            if (!plan.name.empty()) plan.folders.push_back(plan.name);
            plan.name.clear();
            for (const std::string& f : plan.folders) {
                if (CheckComponent(f) != NameProblem::None) {
                    error = msg::UnsafeName(display, CheckComponent(f));
                    return false;
                }
            }
            return true;
        }
    }
    const NameProblem p = CheckComponent(plan.name);
    if (p != NameProblem::None) {
        error = msg::UnsafeName(display, p);
        return false;
    }
    return true;
}

// Decodes one entry, into `out` when given (then closed), and checks its length and
// CRC. `target` names the file in a write failure.
bool DecodeEntry(RandomAccess& file, const EntryHeader& h, OutputFile* out, const std::string& target,
                 Progress& progress, std::string& error) {
    const std::string display = msg::EntryName(h);
    RegionSource source(file, h.dataOffset, h.compressedSize, progress);
    CheckingSink sink(out);
    const DecodeStatus status = Decode(h.method, source, h.originalSize, sink);
    const bool closed = out == nullptr || out->Close();
    if (status == DecodeStatus::OutputFailed || !closed) {
        error = msg::WriteFailed(target);
        return false;
    }
    if (!file.Intact()) {
        error = msg::ArchiveReadFailed();
        return false;
    }
    if (status != DecodeStatus::Ok || sink.Length() != h.originalSize) {
        error = msg::Corrupt(display);
        return false;
    }
    if (h.hasCrc && sink.Crc() != h.crc) {
        error = msg::CrcMismatch(display);
        return false;
    }
    return true;
}

// The nearest folder at or above `path` that exists ("." for a relative path with none).
std::string ExistingFolder(FileSystem& fs, std::string path) {
    while (!path.empty() && fs.Stat(path) != FileSystem::Kind::Directory) {
        std::size_t cut = path.size();
        while (cut > 0 && path[cut - 1] != fs.Separator() && path[cut - 1] != '/') --cut;
        while (cut > 1 && (path[cut - 1] == fs.Separator() || path[cut - 1] == '/')) --cut;
        path.resize(cut);
    }
    return path.empty() ? std::string(".") : path;
}

// Refuses an archive whose declared sizes exceed the free space where it goes, when
// the platform can tell. The old files are only moved aside, so the new ones need
// their whole size.
bool CheckFreeSpace(FileSystem& fs, const std::vector<Planned>& plan, const std::string& destination,
                    std::string& error) {
    constexpr std::uint64_t kMost = ~std::uint64_t{0};
    std::uint64_t needed = 0;
    for (const Planned& p : plan) {  // folder entries declare 0
        const std::uint64_t size = p.header->originalSize;
        needed = size > kMost - needed ? kMost : needed + size;
    }
    std::uint64_t free = 0;
    const std::string folder = ExistingFolder(fs, destination);
    if (needed == 0 || !fs.FreeSpace(folder, free) || needed <= free) return true;
    error = msg::NotEnoughSpace(destination, needed, free);
    return false;
}

std::string FolderError(Staging::FolderResult result, const std::string& folder) {
    return result == Staging::FolderResult::InTheWay ? msg::FolderInTheWay(folder) : msg::DestinationFailed(folder);
}

// Kavrel's work folder when `given` names one that exists; else empty.
std::string UsableWorkFolder(FileSystem& fs, const std::string& given) {
    std::size_t cut = given.size();
    while (cut > 0 && (given[cut - 1] == fs.Separator() || given[cut - 1] == '/')) --cut;
    const std::string folder = given.substr(0, cut);
    std::size_t name = cut;
    while (name > 0 && folder[name - 1] != fs.Separator() && folder[name - 1] != '/') --name;
    if (folder.compare(name, std::string::npos, kWorkFolderName) != 0 || name == 0) return std::string();
    return fs.Stat(folder) == FileSystem::Kind::Directory ? folder : std::string();
}

// e and x: every entry staged and checked, then all put in place.
bool Install(FileSystem& fs, RandomAccess& file, const std::vector<Planned>& plan, const std::string& destination,
             const std::string& workFolder, Progress& progress, std::string& error) {
    if (!CheckFreeSpace(fs, plan, destination, error)) return false;
    const std::string work = UsableWorkFolder(fs, workFolder);
    // Links are the user's choice at the installation folder (the work folder's parent)
    // or at the destination given; below that, nothing is written through one.
    std::string root = work.empty() ? destination : work.substr(0, work.size() - std::strlen(kWorkFolderName));
    while (root.size() > 1 && (root.back() == fs.Separator() || root.back() == '/')) root.pop_back();
    Staging staging(fs, work);
    Staging::FolderResult made = staging.MakeFolders(destination, root);
    if (made != Staging::FolderResult::Ok) {
        error = msg::DestinationFailed(destination);
        return false;
    }
    for (const Planned& p : plan) {
        std::string folder = destination;
        for (const std::string& f : p.folders) {
            folder = JoinPath(fs, folder, f);
            made = staging.MakeFolders(folder, root);
            if (made != Staging::FolderResult::Ok) {
                error = FolderError(made, folder);
                return false;
            }
        }
        if (p.header->IsDirectory()) continue;
        const std::string target = JoinPath(fs, folder, p.name);
        if (fs.Stat(target) == FileSystem::Kind::Directory) {
            error = msg::FolderInTheWay(target);
            return false;
        }
        std::unique_ptr<OutputFile> out = staging.Add(folder, target);
        if (!out) {
            error = msg::WriteFailed(target);
            return false;
        }
        if (!DecodeEntry(file, *p.header, out.get(), target, progress, error)) return false;
        out.reset();
        staging.SetTimeOfLast(EntryTime(*p.header));
    }
    return staging.Commit(error);
}

}  // namespace

std::string ResolveArchivePath(FileSystem& fs, const std::string& path) {
    const auto isFile = [&](const std::string& p) {
        const FileSystem::Kind kind = fs.Stat(p);
        return kind == FileSystem::Kind::File || kind == FileSystem::Kind::Link;  // reading may follow a link
    };
    if (isFile(path)) return path;
    for (int mask = 0; mask < 8; ++mask) {
        std::string candidate = path + ".";
        candidate += (mask & 1) ? 'L' : 'l';
        candidate += (mask & 2) ? 'Z' : 'z';
        candidate += (mask & 4) ? 'H' : 'h';
        if (isFile(candidate)) return candidate;
    }
    return std::string();
}

namespace {

Outcome Run(FileSystem& fs, const Request& request, ExtractionObserver* observer) {
    Outcome outcome;
    const std::string path = ResolveArchivePath(fs, request.archive);
    if (path.empty()) {
        outcome.message = msg::ArchiveNotFound(request.archive);
        return outcome;
    }
    std::unique_ptr<RandomAccess> file = fs.OpenRead(path);
    if (!file) {
        outcome.message = msg::ArchiveOpenFailed(path);
        return outcome;
    }
    ArchiveListing listing;
    if (!ReadArchive(*file, path, listing, outcome.message)) return outcome;

    // Every header and every name is checked before anything is decoded or written.
    std::vector<Planned> plan;
    for (const EntryHeader& h : listing.entries) {
        if (request.command == Command::List) {
            if (observer) observer->OnEntry(h, false);
            continue;
        }
        if (h.isSymlink || (h.IsDirectory() && request.command != Command::ExtractWithPaths)) {
            ++outcome.entriesSkipped;
            continue;
        }
        if (h.method == Method::Unknown) {
            outcome.message = msg::UnsupportedMethod(msg::EntryName(h), h.methodId);
            return outcome;
        }
        Planned p;
        if (!PlanEntry(request.command, h, p, outcome.message)) return outcome;
        plan.push_back(std::move(p));
    }
    if (request.command == Command::List) {
        outcome.ok = true;
        return outcome;
    }
    std::uint64_t files = 0;
    std::uint64_t compressed = 0;
    for (const Planned& p : plan) {
        if (p.header->IsDirectory()) continue;
        ++files;
        compressed += p.header->compressedSize;
    }
    if (observer) observer->OnBegin(files, compressed);
    Progress progress;
    progress.observer = observer;
    if (request.command == Command::Test) {
        for (const Planned& p : plan) {
            if (!DecodeEntry(*file, *p.header, nullptr, std::string(), progress, outcome.message)) return outcome;
            if (observer) observer->OnEntry(*p.header, p.header->hasCrc);
        }
        outcome.ok = true;
        return outcome;
    }
    const std::string destination = request.destination.empty() ? std::string(".") : request.destination;
    if (!Install(fs, *file, plan, destination, request.workFolder, progress, outcome.message)) return outcome;
    for (const Planned& p : plan) {
        if (p.header->IsDirectory()) continue;
        ++outcome.filesWritten;
        if (observer) observer->OnEntry(*p.header, p.header->hasCrc);
    }
    outcome.ok = true;
    return outcome;
}

}  // namespace

Outcome RunRequest(FileSystem& fs, const Request& request, ExtractionObserver* observer) {
#if defined(__cpp_exceptions)
    // An allocation that is not checked where it is made (a name, a table) throws; the
    // staged files are gone by the time it arrives here.
    try {
        return Run(fs, request, observer);
    } catch (const std::bad_alloc&) {
        Outcome outcome;
        outcome.message = msg::OutOfMemory();
        return outcome;
    }
#else
    return Run(fs, request, observer);
#endif
}

}  // namespace kavrel::lha
