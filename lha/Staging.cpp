#include "lha/Staging.h"

#include <cstdio>
#include <new>

#include "lha/Messages.h"

namespace kavrel::lha {
namespace {

// Names tried for temporary and set-aside files before giving up.
constexpr unsigned kMaxNames = 1000000;

bool IsSeparator(char c, char sep) { return c == sep || c == '/'; }

}  // namespace

std::string JoinPath(const FileSystem& fs, const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (IsSeparator(folder.back(), fs.Separator())) return folder + name;
    return folder + fs.Separator() + name;
}

Staging::~Staging() {
    if (committed_) return;
    // A commit cut short by an exception (memory ran out between moving an old file aside
    // and the new one in) puts back what it had moved; as far as it can, since putting
    // back needs memory too.
    try {
        RollBack(files_.size());
    } catch (...) {
    }
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) fs_.Remove(it->temporary);
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) fs_.RemoveFolder(*it);
}

Staging::FolderResult Staging::MakeFolders(const std::string& path) {
    const FileSystem::Kind kind = fs_.Stat(path);
    if (kind == FileSystem::Kind::Directory) return FolderResult::Ok;
    if (kind != FileSystem::Kind::Missing) return FolderResult::InTheWay;
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1], fs_.Separator())) --cut;
    while (cut > 0 && IsSeparator(path[cut - 1], fs_.Separator())) --cut;
    if (cut > 0 && !(cut == 2 && path[1] == ':')) {
        const FolderResult parent = MakeFolders(path.substr(0, cut));
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
        if (fs_.Stat(path) == FileSystem::Kind::Missing) return path;
    }
    return std::string();
}

std::unique_ptr<OutputFile> Staging::Add(const std::string& folder, const std::string& target) {
    // A name found free may be taken before it is created: try the next one then.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = FreshName(folder, "~kvlha");
        if (temporary.empty()) break;
        // Listed before it is created, so that the destructor removes it even when memory
        // runs out between the two.
        files_.push_back(File{folder, temporary, target, std::string(), false});
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

bool Staging::Commit(std::string& error) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        File& f = files_[i];
        const FileSystem::Kind kind = fs_.Stat(f.target);
        bool ok = kind != FileSystem::Kind::Directory;
        if (ok && kind != FileSystem::Kind::Missing) {
            f.aside = FreshName(f.folder, "~kvold");
            ok = !f.aside.empty() && fs_.Move(f.target, f.aside);
            if (!ok) f.aside.clear();
        }
        if (ok) ok = f.placed = fs_.Move(f.temporary, f.target);
        if (!ok) {
            error = msg::ReplaceFailed(f.target) + RollBack(i + 1);
            return false;
        }
    }
    committed_ = true;
    // Best effort, even when memory runs out here: everything new is in place.
    try {
        for (const File& f : files_) {
            if (!f.aside.empty()) fs_.Remove(f.aside);
        }
    } catch (const std::bad_alloc&) {
    }
    return true;
}

std::string Staging::RollBack(std::size_t count) {
    std::string problems;
    while (count > 0) {
        File& f = files_[--count];
        // the new file goes back to its temporary name, which the destructor removes
        if (f.placed && fs_.Move(f.target, f.temporary)) f.placed = false;
        if (!f.aside.empty()) {
            if (!f.placed && fs_.Move(f.aside, f.target)) {
                f.aside.clear();
            } else {
                problems += msg::OldFileKeptAt(f.target, f.aside);
            }
        }
    }
    return problems;
}

}  // namespace kavrel::lha
