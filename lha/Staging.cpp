#include "lha/Staging.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "lha/Messages.h"
#include "platform/Text.h"

namespace kavrel::lha {
namespace {

// Names tried for temporary and set-aside files before giving up.
constexpr unsigned kMaxNames = 1000000;
constexpr char kRecordTemporary[] = "commit.tmp";
// The record's first and last lines: a record without both is not one of ours.
constexpr char kRecordHead[] = "kavrel commit 1";
constexpr char kRecordEnd[] = "end";

// Staged and set-aside files: in the work folder under these prefixes, beside their
// targets under the classic ones.
constexpr char kNewPrefix[] = "new";
constexpr char kOldPrefix[] = "old";

bool IsSeparator(char c, char sep) { return c == sep || c == '/'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

// `path` lies in `folder` or below it (case-insensitively, as Windows sees names).
bool IsWithin(const std::string& path, const std::string& folder, char sep) {
    if (folder.empty() || path.size() <= folder.size()) return false;
    return SameName(path.substr(0, folder.size()), folder) &&
           (IsSeparator(path[folder.size()], sep) || IsSeparator(folder.back(), sep));
}

// A name of ours in the work folder: prefix, digits, ".tmp".
bool IsOurName(const std::string& name, const char* prefix) {
    const std::size_t p = std::strlen(prefix);
    if (name.size() <= p + 4 || name.compare(0, p, prefix) != 0 || name.compare(name.size() - 4, 4, ".tmp") != 0) {
        return false;
    }
    for (std::size_t i = p; i < name.size() - 4; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

std::string BaseName(const std::string& path, char sep) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1], sep)) --cut;
    return path.substr(cut);
}

bool ReadWhole(FileSystem& fs, const std::string& path, std::string& text) {
    const std::unique_ptr<RandomAccess> in = fs.OpenRead(path);
    if (!in || in->Size() > (1u << 24)) return false;
    text.resize(static_cast<std::size_t>(in->Size()));
    return text.empty() || in->ReadAt(0, text.data(), text.size());
}

}  // namespace

std::string JoinPath(const FileSystem& fs, const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (IsSeparator(folder.back(), fs.Separator())) return folder + name;
    return folder + fs.Separator() + name;
}

Staging::Staging(FileSystem& fs, std::string workFolder) : fs_(fs), work_(std::move(workFolder)) {}

Staging::~Staging() {
    if (committed_) return;
    // A commit cut short by an exception (memory ran out between moving an old file aside
    // and the new one in) puts back what it had moved; as far as it can, since putting
    // back needs memory too.
#if defined(__cpp_exceptions)
    try {
        if (RollBack(files_.size()).empty() && recorded_) fs_.Remove(JoinPath(fs_, work_, kCommitRecordName));
    } catch (...) {
    }
#else
    if (RollBack(files_.size()).empty() && recorded_) fs_.Remove(JoinPath(fs_, work_, kCommitRecordName));
#endif
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) fs_.Remove(it->temporary);
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) fs_.RemoveFolder(*it);
}

Staging::FolderResult Staging::MakeFolders(const std::string& path, const std::string& root) {
    const FileSystem::Kind kind = fs_.Stat(path);
    const bool below = IsWithin(path, root, fs_.Separator());
    if (kind == FileSystem::Kind::Directory || (kind == FileSystem::Kind::Link && !below)) {
        // an existing folder: no link may lie between it and the chosen one
        std::size_t cut = path.size();
        while (below) {
            while (cut > 0 && !IsSeparator(path[cut - 1], fs_.Separator())) --cut;
            while (cut > 0 && IsSeparator(path[cut - 1], fs_.Separator())) --cut;
            const std::string parent = path.substr(0, cut);
            if (!IsWithin(parent, root, fs_.Separator())) break;
            if (fs_.Stat(parent) != FileSystem::Kind::Directory) return FolderResult::InTheWay;
        }
        return FolderResult::Ok;
    }
    if (kind != FileSystem::Kind::Missing) return FolderResult::InTheWay;
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1], fs_.Separator())) --cut;
    while (cut > 0 && IsSeparator(path[cut - 1], fs_.Separator())) --cut;
    if (cut > 0 && !(cut == 2 && path[1] == ':')) {
        const FolderResult parent = MakeFolders(path.substr(0, cut), root);
        if (parent != FolderResult::Ok) return parent;
    }
    if (!fs_.MakeDirectory(path)) return FolderResult::Failed;
    madeFolders_.push_back(path);
    return FolderResult::Ok;
}

std::string Staging::FreshName(const std::string& folder, const char* prefix) {
    while (counter_ < kMaxNames) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%u.tmp", prefix, counter_++);
        std::string path = JoinPath(fs_, folder, name);
        // An entry may carry a name like ours: the file it becomes is not ours to move.
        bool isTarget = false;
        for (const File& f : files_) isTarget = isTarget || SameName(f.target, path);
        if (!isTarget && fs_.Stat(path) == FileSystem::Kind::Missing) return path;
    }
    return std::string();
}

std::unique_ptr<OutputFile> Staging::Add(const std::string& folder, const std::string& target) {
    if (!work_.empty() && (IsWithin(target, work_, fs_.Separator()) || SameName(target, work_))) return nullptr;
    const std::string& place = work_.empty() ? folder : work_;
    // A name found free may be taken before it is created: try the next one then.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = FreshName(place, work_.empty() ? "~kvlha" : kNewPrefix);
        if (temporary.empty()) break;
        // Listed before it is created, so that the destructor removes it even when memory
        // runs out between the two.
        files_.push_back(File{folder, temporary, target, std::string(), false, false, false});
        std::unique_ptr<OutputFile> out = fs_.CreateNew(temporary);
        if (out) return out;
        files_.pop_back();
        if (fs_.Stat(temporary) == FileSystem::Kind::Missing) break;  // not a clash: the folder refuses
    }
    return nullptr;
}

void Staging::SetTimeOfLast(std::int64_t unixTime) {
    if (!files_.empty()) fs_.SetModificationTime(files_.back().temporary, unixTime);
}

// One line per file: target, staged name, set-aside name (empty for a new file), written
// whole and flushed before it takes its name, so a record is either all there or absent.
bool Staging::WriteRecord() {
    const std::string temporary = JoinPath(fs_, work_, kRecordTemporary);
    const std::string record = JoinPath(fs_, work_, kCommitRecordName);
    fs_.Remove(temporary);
    std::string text = std::string(kRecordHead) + "\n";
    for (const File& f : files_) {
        text += f.target + "\t" + BaseName(f.temporary, fs_.Separator()) + "\t" + BaseName(f.aside, fs_.Separator()) +
                "\n";
    }
    text += std::string(kRecordEnd) + "\n";
    std::unique_ptr<OutputFile> out = fs_.CreateNew(temporary);
    const bool written = out && out->Write(text.data(), text.size());
    const bool closed = out && out->Close();
    if (!written || !closed || !fs_.Move(temporary, record)) {
        fs_.Remove(temporary);
        return false;
    }
    recorded_ = true;
    return true;
}

bool Staging::Commit(std::string& error) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        File& f = files_[i];
        const FileSystem::Kind kind = fs_.Stat(f.target);
        if (kind != FileSystem::Kind::Missing && kind != FileSystem::Kind::File) {
            error = msg::FolderInTheWay(f.target);
            return false;
        }
        // A later entry of the same name replaces the earlier one, which is there by then.
        bool again = false;
        for (std::size_t j = 0; j < i; ++j) again = again || SameName(files_[j].target, f.target);
        if (kind == FileSystem::Kind::File || again) {
            f.aside = FreshName(work_.empty() ? f.folder : work_, work_.empty() ? "~kvold" : kOldPrefix);
            if (f.aside.empty()) {
                error = msg::ReplaceFailed(f.target);
                return false;
            }
        }
    }
    if (!work_.empty() && !WriteRecord()) {
        error = msg::WriteFailed(JoinPath(fs_, work_, kCommitRecordName));
        return false;
    }
    for (std::size_t i = 0; i < files_.size(); ++i) {
        File& f = files_[i];
        const bool there = !f.aside.empty() && fs_.Stat(f.target) == FileSystem::Kind::File;
        bool ok;
        if (there && (f.linked = fs_.Link(f.target, f.aside))) {
            // The old bytes keep a second name, and the new file takes the target's in one
            // step: at no moment is the target missing.
            ok = f.placed = fs_.Replace(f.temporary, f.target);
            if (!ok && fs_.Remove(f.aside)) f.linked = false;
        } else {
            // No links here (FAT), or a read-only file: moved aside, then the new one in.
            ok = !there || (f.movedAside = fs_.Move(f.target, f.aside));
            if (ok) ok = f.placed = fs_.Move(f.temporary, f.target);
        }
        if (!ok) {
            // What the user must do comes first: the message may be cut short.
            const std::string kept = RollBack(i + 1);
            // What is kept keeps its record, for the next run's recovery.
            if (kept.empty() && recorded_) fs_.Remove(JoinPath(fs_, work_, kCommitRecordName));
            recorded_ = false;
            error = kept + msg::ReplaceFailed(f.target);
            return false;
        }
    }
    committed_ = true;
    // The commit is complete once its record is gone; only then do the old files go.
    if (recorded_) fs_.Remove(JoinPath(fs_, work_, kCommitRecordName));
    for (const File& f : files_) {
        if (f.movedAside || f.linked) fs_.Remove(f.aside);
    }
    return true;
}

std::string Staging::RollBack(std::size_t count) {
    std::string problems;
    while (count > 0) {
        File& f = files_[--count];
        if (f.linked) {
            // the old file takes its name back in one step
            if (!f.placed) {
                if (fs_.Remove(f.aside)) f.linked = false;
            } else if (fs_.Replace(f.aside, f.target)) {
                f.placed = f.linked = false;
            } else {
                problems += msg::OldFileKeptAt(f.target, f.aside);
            }
            continue;
        }
        // the new file goes back to its temporary name, which the destructor removes
        if (f.placed && fs_.Move(f.target, f.temporary)) f.placed = false;
        if (f.movedAside) {
            if (!f.placed && fs_.Move(f.aside, f.target)) {
                f.movedAside = false;
            } else {
                problems += msg::OldFileKeptAt(f.target, f.aside);
            }
        }
    }
    return problems;
}

Recovery RecoverCommit(FileSystem& fs, const std::string& workFolder, const TargetRule& rule) {
    Recovery r;
    const char sep = fs.Separator();
    const std::string record = JoinPath(fs, workFolder, kCommitRecordName);
    std::vector<std::string> keep;  // names in the work folder that hold someone's old bytes

    const FileSystem::Kind kind = fs.Stat(record);
    std::string text;
    if (kind != FileSystem::Kind::Missing) {
        r.recordFound = true;
        struct Line {
            std::string target, staged, aside;
        };
        std::vector<Line> lines;
        bool valid = kind == FileSystem::Kind::File && ReadWhole(fs, record, text);
        std::size_t at = 0;
        bool head = false, end = false;
        while (valid && at < text.size()) {
            std::size_t nl = text.find('\n', at);
            if (nl == std::string::npos) nl = text.size();
            const std::string line = text.substr(at, nl - at);
            at = nl + 1;
            if (!head) {
                valid = head = line == kRecordHead;
                continue;
            }
            if (end) valid = false;
            if (line == kRecordEnd) {
                end = true;
                continue;
            }
            const std::size_t t1 = line.find('\t');
            const std::size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
            if (t2 == std::string::npos) {
                valid = false;
                break;
            }
            Line l{line.substr(0, t1), line.substr(t1 + 1, t2 - t1 - 1), line.substr(t2 + 1)};
            valid = IsOurName(l.staged, kNewPrefix) && (l.aside.empty() || IsOurName(l.aside, kOldPrefix)) &&
                    !IsWithin(l.target, workFolder, sep) && rule.MayTouch(l.target);
            lines.push_back(std::move(l));
        }
        if (!valid || !end) {
            // Not ours to act on: nothing is moved, and no old file it may name is removed.
            r.recordIgnored = true;
            r.log.push_back("commit record " + record + " ignored: it is damaged or names a file outside the "
                            "installation; the files it names are left as they are");
            for (const Line& l : lines) {
                if (IsOurName(l.aside, kOldPrefix)) keep.push_back(l.aside);
            }
            lines.clear();
        } else {
            r.log.push_back("commit record " + record + ": " + DecimalText(lines.size()) + " files");
        }
        for (const Line& l : lines) {
            const std::string staged = JoinPath(fs, workFolder, l.staged);
            const std::string aside = l.aside.empty() ? std::string() : JoinPath(fs, workFolder, l.aside);
            const FileSystem::Kind target = fs.Stat(l.target);
            const bool hasStaged = fs.Stat(staged) == FileSystem::Kind::File;
            const bool hasAside = !aside.empty() && fs.Stat(aside) == FileSystem::Kind::File;
            bool ok = true;
            if (hasStaged) {
                // The commit had not reached this file, had kept the old bytes under a second
                // name, or had moved the old file aside: the new one goes in, the old one is
                // kept aside until the end.
                bool replace = false;
                if (target == FileSystem::Kind::File) {
                    replace = hasAside || (!aside.empty() && fs.Link(l.target, aside));
                    ok = replace || (!aside.empty() && fs.Move(l.target, aside));
                } else {
                    ok = target == FileSystem::Kind::Missing;
                }
                ok = ok && (replace ? fs.Replace(staged, l.target) : fs.Move(staged, l.target));
                r.log.push_back((ok ? "moved in: " : "could not move in: ") + l.target);
            } else if (target == FileSystem::Kind::Missing && hasAside) {
                ok = fs.Move(aside, l.target);
                r.log.push_back((ok ? "old file put back: " : "old file could not be put back: ") + l.target);
            }
            if (!ok && hasAside) {
                keep.push_back(l.aside);
                r.keptFiles.push_back(l.target + " -> " + aside);
            }
        }
        if (r.keptFiles.empty() && !r.recordIgnored) fs.Remove(record);
    }
    // What no record names is staging that never reached its commit.
    for (const std::string& name : fs.ListFiles(workFolder)) {
        bool kept = false;
        for (const std::string& k : keep) kept = kept || k == name;
        if (kept || name == kCommitRecordName) continue;
        if (IsOurName(name, kNewPrefix) || IsOurName(name, kOldPrefix) || name == kRecordTemporary) {
            if (fs.Remove(JoinPath(fs, workFolder, name))) r.log.push_back("removed " + name);
        }
    }
    return r;
}

}  // namespace kavrel::lha
