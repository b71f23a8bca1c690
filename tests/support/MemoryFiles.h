// An in-memory file tree for native tests: the medium's and the installation's files,
// with failures a test can switch on. Paths resolve as Windows resolves them: '/' and
// '\' alike, runs of backslashes collapse (C:\PROG\\main.exe), letters compare without
// case.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace kavrel::test {

class MemoryFiles : public FileReader, public FolderSearch, public MediumDrives, public InstallationFiles {
public:
    struct File {
        std::string data;
        FileStatus status;
    };

    // --- setting up ---
    void AddFolder(const std::string& path) {
        const std::string norm = Norm(path);
        // parents too, so that a tree can be laid out by its leaves
        for (std::size_t p = norm.find('\\', 3); p != std::string::npos; p = norm.find('\\', p + 1)) {
            AddOne(norm.substr(0, p));
        }
        AddOne(norm);
    }
    void AddFile(const std::string& path, const std::string& data = {},
                 std::uint32_t attributes = 0x20 /* archive */) {
        const std::string norm = Norm(path);
        const std::string key = Upper(norm);
        const auto slash = norm.rfind('\\');
        if (slash != std::string::npos && slash > 2) AddFolder(norm.substr(0, slash));
        if (!files_.count(key)) order_.push_back(key);
        names_[key] = norm.substr(slash == std::string::npos ? 0 : slash + 1);
        files_[key] = File{data, FileStatus{1000, 2000, 3000, data.size(), attributes}};
    }
    void Remove(const std::string& path) {
        const std::string key = Key(path);
        files_.erase(key);
        folders_.erase(key);
        order_.erase(std::remove(order_.begin(), order_.end(), key), order_.end());
    }
    bool HasFile(const std::string& path) const { return files_.count(Key(path)) != 0; }
    bool HasFolder(const std::string& path) const { return folders_.count(Key(path)) != 0; }
    const File& FileAt(const std::string& path) const { return files_.at(Key(path)); }

    // Drives whose paths start with one of these prefixes are removable.
    std::vector<std::string> removablePrefixes;
    // Failures to switch on, by path (any spelling).
    std::set<std::string> failCopyTo, failGetStatus, failSetStatus, failMakeDirectory;
    // Folders where no new file may be made; files another program holds open; files
    // the user may not replace.
    std::set<std::string> readOnlyFolders, filesInUse, filesDenied;
    // What FreeBytes answers for every drive; unset: the drive cannot tell.
    std::optional<std::uint64_t> freeBytes;
    // Files whose reading fails from this byte offset on (a bad sector).
    std::map<std::string, std::size_t> failReadAt;

    // --- the seams ---
    bool Exists(const std::string& path) override {
        const std::string key = Key(path);
        return files_.count(key) || folders_.count(key) || IsRoot(key);
    }
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        auto it = files_.find(Key(path));
        if (it == files_.end()) return nullptr;
        const auto failing = std::find_if(failReadAt.begin(), failReadAt.end(),
                                          [&](const auto& entry) { return Key(entry.first) == Key(path); });
        return std::make_unique<MemoryInput>(it->second.data,
                                             failing == failReadAt.end() ? std::string::npos : failing->second);
    }
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override {
        const std::string key = Key(pattern);
        const auto slash = key.rfind('\\');
        if (slash == std::string::npos) return {};
        const std::string dir = key.substr(0, slash);
        const std::string mask = key.substr(slash + 1);
        if (!folders_.count(dir) && !IsRoot(dir + "\\")) return {};
        std::vector<FoundEntry> found;
        if (!IsRoot(dir + "\\")) {
            for (const char* dot : {".", ".."}) {
                if (Match(mask, dot)) found.push_back({dot, true});
            }
        }
        for (const auto& entry : order_) {
            const auto s = entry.rfind('\\');
            if (s == std::string::npos || entry.substr(0, s) != dir) continue;
            const std::string name = names_.count(entry) ? names_.at(entry) : entry.substr(s + 1);
            if (Match(mask, Upper(name))) found.push_back({name, folders_.count(entry) != 0});
        }
        return found;
    }
    bool IsRemovableDrive(const std::string& path) override {
        const std::string key = Upper(path);
        return std::any_of(removablePrefixes.begin(), removablePrefixes.end(),
                           [&](const std::string& prefix) { return key.rfind(Upper(prefix), 0) == 0; });
    }
    bool MakeDirectory(const std::string& path) override {
        const std::string key = Key(path);
        if (IsIn(failMakeDirectory, path) || Exists(path) || !ParentExists(key)) return false;
        AddOne(Norm(path));
        return true;
    }
    bool CopyFileOverwrite(const std::string& from, const std::string& to) override {
        const std::string dst = Key(to);
        auto it = files_.find(Key(from));
        if (it == files_.end() || IsIn(failCopyTo, to) || folders_.count(dst) || !ParentExists(dst)) return false;
        auto existing = files_.find(dst);
        if (existing != files_.end() && (existing->second.status.attributes & kReadOnlyAttribute)) return false;
        const File copy = it->second;
        if (existing == files_.end()) {
            order_.push_back(dst);
            const std::string norm = Norm(to);
            names_[dst] = norm.substr(norm.rfind('\\') + 1);
        }
        files_[dst] = copy;
        return true;
    }
    bool GetFileStatus(const std::string& path, FileStatus& status) override {
        auto it = files_.find(Key(path));
        if (it == files_.end() || IsIn(failGetStatus, path)) return false;
        status = it->second.status;
        return true;
    }
    bool SetFileStatus(const std::string& path, const FileStatus& status) override {
        auto it = files_.find(Key(path));
        if (it == files_.end() || IsIn(failSetStatus, path)) return false;
        const std::uint64_t size = it->second.status.size;
        it->second.status = status;
        it->second.status.size = size;
        return true;
    }
    bool CanCreateFileIn(const std::string& folder) override {
        return folders_.count(Key(folder)) && !IsIn(readOnlyFolders, folder);
    }
    // A work folder whose lock another run holds; work folders that cannot be made.
    std::set<std::string> lockedWorkFolders, unusableWorkFolders;
    LockResult LockWorkFolder(const std::string& workFolder, std::unique_ptr<Lock>& lock) override {
        if (IsIn(lockedWorkFolders, workFolder)) return LockResult::Busy;
        if (IsIn(unusableWorkFolders, workFolder) || HasFile(workFolder)) return LockResult::Unavailable;
        if (!HasFolder(workFolder) && !MakeDirectory(workFolder)) return LockResult::Unavailable;
        lock = std::make_unique<Lock>();
        return LockResult::Held;
    }
    void RemoveWorkFolder(const std::string& workFolder) override {
        const std::string key = Key(workFolder);
        for (const std::string& entry : order_) {
            if (entry.rfind(key + "\\", 0) == 0) return;  // not empty
        }
        Remove(workFolder);
    }

    // For the staging file system over these files (MemoryStaging.h).
    File* Find(const std::string& path) {
        auto it = files_.find(Key(path));
        return it == files_.end() ? nullptr : &it->second;
    }
    // Renames a file, keeping its bytes and status; false when `to` exists or its folder
    // does not.
    bool Rename(const std::string& from, const std::string& to) {
        const File* f = Find(from);
        if (f == nullptr || Exists(to) || !ParentExists(Key(to))) return false;
        const File moved = *f;
        Remove(from);
        AddFile(to, moved.data);
        *Find(to) = moved;
        return true;
    }
    // Paths that are links (junctions, symbolic links).
    std::set<std::string> links;
    bool IsLink(const std::string& path) override { return IsIn(links, path); }
    ReplaceProbe ProbeReplace(const std::string& path) override {
        if (!HasFile(path)) return ReplaceProbe::Free;
        if (IsIn(filesInUse, path)) return ReplaceProbe::InUse;
        return IsIn(filesDenied, path) ? ReplaceProbe::AccessDenied : ReplaceProbe::Free;
    }
    bool FreeBytes(const std::string&, std::uint64_t& bytes) override {
        if (freeBytes) bytes = *freeBytes;
        return freeBytes.has_value();
    }

    // Windows-style key of a path: '/' -> '\', runs of '\' collapsed, no trailing '\'
    // (except at a drive root), ASCII upper case.
    static std::string Key(const std::string& path) { return Upper(Norm(path)); }
    static std::string Norm(const std::string& path) {
        std::string out;
        for (char c : path) {
            if (c == '/') c = '\\';
            if (c == '\\' && !out.empty() && out.back() == '\\') continue;
            out += c;
        }
        if (out.size() > 3 && out.back() == '\\') out.pop_back();
        return out;
    }
    static std::string Upper(std::string s) {
        for (char& c : s) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return s;
    }
    bool IsIn(const std::set<std::string>& set, const std::string& path) const {
        return std::any_of(set.begin(), set.end(), [&](const std::string& p) { return Key(p) == Key(path); });
    }

private:
    class MemoryInput : public InputFile {
    public:
        MemoryInput(std::string data, std::size_t failAt) : data_(std::move(data)), failAt_(failAt) {}
        std::size_t Read(void* buffer, std::size_t size) override {
            if (pos_ >= failAt_) {
                failed_ = true;
                return 0;
            }
            const std::size_t n = std::min({size, data_.size() - pos_, failAt_ - pos_});
            std::memcpy(buffer, data_.data() + pos_, n);
            pos_ += n;
            return n;
        }
        bool Seek(std::uint64_t offset) override {
            pos_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, data_.size()));
            return true;
        }
        bool Failed() const override { return failed_; }

    private:
        std::string data_;
        std::size_t failAt_;
        std::size_t pos_ = 0;
        bool failed_ = false;
    };

    void AddOne(const std::string& norm) {
        const std::string key = Upper(norm);
        if (folders_.insert(key).second) {
            order_.push_back(key);
            const auto slash = norm.rfind('\\');
            names_[key] = norm.substr(slash == std::string::npos ? 0 : slash + 1);
        }
    }
    bool ParentExists(const std::string& key) const {
        const auto slash = key.rfind('\\');
        return slash != std::string::npos && (folders_.count(key.substr(0, slash)) || IsRoot(key.substr(0, slash + 1)));
    }
    static bool IsRoot(const std::string& key) { return key.size() == 3 && key[1] == ':' && key[2] == '\\'; }
    // Wildcards * and ? on upper-case names; a final ".*" also matches names without a
    // dot, as on Windows ("*.*" lists everything).
    static bool Match(const std::string& mask, const std::string& name) {
        if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
            MatchPlain(mask.substr(0, mask.size() - 2), name)) {
            return true;
        }
        return MatchPlain(mask, name);
    }
    static bool MatchPlain(const std::string& mask, const std::string& name) {
        std::size_t m = 0, n = 0, star = std::string::npos, back = 0;
        while (n < name.size()) {
            if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
                ++m;
                ++n;
            } else if (m < mask.size() && mask[m] == '*') {
                star = m++;
                back = n;
            } else if (star != std::string::npos) {
                m = star + 1;
                n = ++back;
            } else {
                return false;
            }
        }
        while (m < mask.size() && mask[m] == '*') ++m;
        return m == mask.size();
    }

    std::map<std::string, File> files_;
    std::set<std::string> folders_;
    std::map<std::string, std::string> names_;  // original spelling, when it matters
    std::vector<std::string> order_;            // the order a search returns entries in
};

}  // namespace kavrel::test
