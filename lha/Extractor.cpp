#include "lha/Extractor.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "lha/Archive.h"
#include "lha/Crc16.h"
#include "lha/Messages.h"
#include "lha/SafeName.h"
#include "platform/Text.h"

namespace kavrel::lha {
namespace {

// The compressed bytes of one entry.
class RegionSource : public ByteSource {
public:
    RegionSource(RandomAccess& file, std::uint64_t offset, std::uint64_t size)
        : file_(file), offset_(offset), left_(size) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = left_ < size ? static_cast<std::size_t>(left_) : size;
        if (n == 0 || !file_.ReadAt(offset_, buffer, n)) return 0;
        offset_ += n;
        left_ -= n;
        return n;
    }

private:
    RandomAccess& file_;
    std::uint64_t offset_;
    std::uint64_t left_;
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

bool IsSeparator(char c, char sep) { return c == sep || c == '/'; }

// Creates `path` and any missing folders above it.
bool EnsureFolder(FileSystem& fs, const std::string& path) {
    const FileSystem::Kind kind = fs.Stat(path);
    if (kind == FileSystem::Kind::Directory) return true;
    if (kind != FileSystem::Kind::Missing) return false;
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1], fs.Separator())) --cut;
    while (cut > 0 && IsSeparator(path[cut - 1], fs.Separator())) --cut;
    if (cut > 0 && !(cut == 2 && path[1] == ':') && !EnsureFolder(fs, path.substr(0, cut))) return false;
    return fs.MakeDirectory(path) || fs.Stat(path) == FileSystem::Kind::Directory;
}

std::string Join(const FileSystem& fs, const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (IsSeparator(folder.back(), fs.Separator())) return folder + name;
    return folder + fs.Separator() + name;
}

// Checks names; fills `plan`. False with the message.
bool PlanEntry(Command command, const EntryHeader& h, Planned& plan, std::string& error) {
    const std::string display = msg::Printable(h.Path());
    plan.header = &h;
    plan.name = Cp932ToUtf8(h.fileName);
    if (command == Command::Test) return true;
    if (command == Command::ExtractWithPaths) {
        if (h.absolute) {
            error = msg::OutsideDestination(display);
            return false;
        }
        for (const std::string& d : h.directory) {
            const std::string u = Cp932ToUtf8(d);
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

// Decodes one entry into a temporary file beside its target and moves it there.
bool ExtractEntry(FileSystem& fs, RandomAccess& file, const Planned& plan, const std::string& folder,
                  std::string& error) {
    const EntryHeader& h = *plan.header;
    const std::string display = msg::Printable(h.Path());
    const std::string target = Join(fs, folder, plan.name);
    const FileSystem::Kind kind = fs.Stat(target);
    if (kind == FileSystem::Kind::Directory) {
        error = msg::FolderInTheWay(target);
        return false;
    }
    std::string temp;
    std::unique_ptr<OutputFile> out;
    for (unsigned n = 0; n < 10000 && !out; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "~kvlha%04u.tmp", n);
        temp = Join(fs, folder, name);
        if (fs.Stat(temp) == FileSystem::Kind::Missing) out = fs.CreateNew(temp);
    }
    if (!out) {
        error = msg::WriteFailed(target);
        return false;
    }
    RegionSource source(file, h.dataOffset, h.compressedSize);
    CheckingSink sink(out.get());
    const DecodeStatus status = Decode(h.method, source, h.originalSize, sink);
    const bool closed = out->Close();
    out.reset();
    if (status == DecodeStatus::OutputFailed || !closed) {
        fs.Remove(temp);
        error = msg::WriteFailed(target);
        return false;
    }
    if (status != DecodeStatus::Ok || sink.Length() != h.originalSize) {
        fs.Remove(temp);
        error = msg::Corrupt(display);
        return false;
    }
    if (h.hasCrc && sink.Crc() != h.crc) {
        fs.Remove(temp);
        error = msg::CrcMismatch(display);
        return false;
    }
    if (!fs.Replace(temp, target)) {
        fs.Remove(temp);
        error = msg::WriteFailed(target);
        return false;
    }
    fs.SetModificationTime(target, EntryTime(h));
    return true;
}

bool TestEntry(RandomAccess& file, const EntryHeader& h, std::string& error) {
    const std::string display = msg::Printable(h.Path());
    RegionSource source(file, h.dataOffset, h.compressedSize);
    CheckingSink sink(nullptr);
    const DecodeStatus status = Decode(h.method, source, h.originalSize, sink);
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

}  // namespace

std::string ResolveArchivePath(FileSystem& fs, const std::string& path) {
    if (fs.Stat(path) == FileSystem::Kind::File) return path;
    for (int mask = 0; mask < 8; ++mask) {
        std::string candidate = path + ".";
        candidate += (mask & 1) ? 'L' : 'l';
        candidate += (mask & 2) ? 'Z' : 'z';
        candidate += (mask & 4) ? 'H' : 'h';
        if (fs.Stat(candidate) == FileSystem::Kind::File) return candidate;
    }
    return std::string();
}

Outcome RunRequest(FileSystem& fs, const Request& request, const EntryListener& listener) {
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

    // Every header and every name is checked before anything is written.
    std::vector<Planned> plan;
    for (const EntryHeader& h : listing.entries) {
        if (request.command == Command::List) {
            if (listener) listener(h);
            continue;
        }
        if (h.isSymlink || (h.IsDirectory() && request.command != Command::ExtractWithPaths)) {
            ++outcome.entriesSkipped;
            continue;
        }
        if (h.method == Method::Unknown) {
            outcome.message = msg::UnsupportedMethod(msg::Printable(h.Path()), h.methodId);
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
    if (request.command == Command::Test) {
        for (const Planned& p : plan) {
            if (!TestEntry(*file, *p.header, outcome.message)) return outcome;
            if (listener) listener(*p.header);
        }
        outcome.ok = true;
        return outcome;
    }

    const std::string destination = request.destination.empty() ? std::string(".") : request.destination;
    if (!EnsureFolder(fs, destination)) {
        outcome.message = msg::DestinationFailed(destination);
        return outcome;
    }
    for (const Planned& p : plan) {
        std::string folder = destination;
        for (const std::string& f : p.folders) {
            folder = Join(fs, folder, f);
            const FileSystem::Kind kind = fs.Stat(folder);
            if (kind == FileSystem::Kind::Missing && !fs.MakeDirectory(folder)) {
                outcome.message = msg::DestinationFailed(folder);
                return outcome;
            }
            if (kind != FileSystem::Kind::Missing && kind != FileSystem::Kind::Directory) {
                outcome.message = msg::FolderInTheWay(folder);
                return outcome;
            }
        }
        if (p.name.empty()) continue;  // a folder entry
        if (!ExtractEntry(fs, *file, p, folder, outcome.message)) return outcome;
        ++outcome.filesWritten;
    }
    outcome.ok = true;
    return outcome;
}

}  // namespace kavrel::lha
