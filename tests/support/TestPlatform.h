// An in-memory platform for native tests: files and folders, a registry, scripted
// message-box answers and archive entries, with failures that a test can switch on.
// Paths resolve as Windows resolves them: '/' and '\' alike, runs of backslashes
// collapse (C:\PROG\\main.exe), letters compare without case.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace kavrel::test {

class TestPlatform : public Platform {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };
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
        const std::string key = AsciiUpperCopy(norm);
        const auto slash = norm.rfind('\\');
        if (slash != std::string::npos && slash > 2) AddFolder(norm.substr(0, slash));
        if (!files.count(key)) order.push_back(key);
        names[key] = norm.substr(slash == std::string::npos ? 0 : slash + 1);
        files[key] = File{data, FileStatus{1000, 2000, 3000, data.size(), attributes}};
    }
    void Remove(const std::string& path) {
        const std::string key = Key(path);
        files.erase(key);
        folders.erase(key);
        order.erase(std::remove(order.begin(), order.end(), key), order.end());
    }
    bool HasFile(const std::string& path) const { return files.count(Key(path)) != 0; }
    bool HasFolder(const std::string& path) const { return folders.count(Key(path)) != 0; }
    const File& FileAt(const std::string& path) const { return files.at(Key(path)); }

    // Registry: existing keys (uppercase paths without the trailing backslash) and their
    // default values; keys in `deniedKeys` can be neither opened nor created.
    std::map<std::string, std::string> registry;
    std::set<std::string> deniedKeys;
    bool HasKey(const std::string& subkey) const { return registry.count(RegKey(subkey)) != 0; }
    std::string KeyValue(const std::string& subkey) const {
        auto it = registry.find(RegKey(subkey));
        return it == registry.end() ? std::string("<missing>") : it->second;
    }
    void AddKey(const std::string& subkey, const std::string& value = {}) {
        registry[RegKey(subkey)] = value;
    }

    // Message boxes: every one shown, and the answers to give (Ok once they run out).
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::function<void(const Message&)> onMessage;  // e.g. to swap the disk behind a prompt

    // Drives whose paths start with one of these prefixes (uppercase) are removable.
    std::vector<std::string> removablePrefixes;
    std::string windowsDirectory = "C:\\WINDOWS";

    // Failures to switch on, by path.
    std::set<std::string> failCopyTo, failGetStatus, failSetStatus, failMakeDirectory;
    // Folders where no new file may be made; files another program holds open; program
    // files of running processes (all by path, any spelling).
    std::set<std::string> readOnlyFolders, filesInUse, runningPrograms;
    bool IsIn(const std::set<std::string>& set, const std::string& path) const {
        for (const auto& p : set) {
            if (Key(p) == Key(path)) return true;
        }
        return false;
    }

    // An unattended run: questions get no answer.
    bool unattended = false;
    // Every event of the log, and every item the progress showed ("3/7 NAME", with
    // "checking " in front while an archive is tested).
    std::vector<std::string> log;
    std::vector<std::string> progressItems;
    int progressShown = 0;

    // Archive entries.
    std::vector<int> entry6Calls, entry8Calls;
    std::vector<std::string> archiveCommands;
    std::function<int(const std::string& commandLine, std::string& output)> onArchiveCommand;
    // The stored names of an archive's entries, by the archive path of the command line
    // (without ".lzh"): reported to the listener as the library reports them, and
    // written into the destination by an extraction.
    std::map<std::string, std::vector<std::string>> archiveEntries;

    int waitCursorsActive = 0;
    int waitCursorsBegun = 0;
    int associationNotifications = 0;

    // --- Platform ---
    bool Exists(const std::string& path) override {
        const std::string key = Key(path);
        return files.count(key) || folders.count(key) || IsRoot(key);
    }
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        auto it = files.find(Key(path));
        if (it == files.end()) return nullptr;
        return std::make_unique<MemoryFile>(it->second.data);
    }
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override {
        std::string key = Key(pattern);
        const auto slash = key.rfind('\\');
        if (slash == std::string::npos) return {};
        const std::string dir = key.substr(0, slash);
        const std::string mask = key.substr(slash + 1);
        if (!folders.count(dir) && !IsRoot(dir + "\\")) return {};
        std::vector<FoundEntry> found;
        if (!IsRoot(dir + "\\")) {
            for (const char* dot : {".", ".."}) {
                if (Match(mask, dot)) found.push_back({dot, true});
            }
        }
        for (const auto& entry : order) {
            const auto s = entry.rfind('\\');
            if (s == std::string::npos || entry.substr(0, s) != dir) continue;
            const std::string name = names.count(entry) ? names.at(entry) : entry.substr(s + 1);
            if (Match(mask, AsciiUpperCopy(name))) found.push_back({name, folders.count(entry) != 0});
        }
        return found;
    }
    bool MakeDirectory(const std::string& path) override {
        const std::string key = Key(path);
        if (failMakeDirectory.count(key) || Exists(path)) return false;
        const auto slash = key.rfind('\\');
        if (slash == std::string::npos || !(folders.count(key.substr(0, slash)) ||
                                            IsRoot(key.substr(0, slash + 1)))) {
            return false;
        }
        AddOne(Norm(path));
        return true;
    }
    bool CopyFileOverwrite(const std::string& from, const std::string& to) override {
        const std::string src = Key(from), dst = Key(to);
        auto it = files.find(src);
        if (it == files.end() || failCopyTo.count(dst) || folders.count(dst)) return false;
        const auto slash = dst.rfind('\\');
        if (slash == std::string::npos || !folders.count(dst.substr(0, slash))) return false;
        auto existing = files.find(dst);
        if (existing != files.end() && (existing->second.status.attributes & 1)) return false;
        const File copy = it->second;
        if (existing == files.end()) {
            order.push_back(dst);
            const std::string norm = Norm(to);
            names[dst] = norm.substr(norm.rfind('\\') + 1);
        }
        files[dst] = copy;
        return true;
    }
    bool GetFileStatus(const std::string& path, FileStatus& status) override {
        const std::string key = Key(path);
        auto it = files.find(key);
        if (it == files.end() || failGetStatus.count(key)) return false;
        status = it->second.status;
        return true;
    }
    bool SetFileStatus(const std::string& path, const FileStatus& status) override {
        const std::string key = Key(path);
        auto it = files.find(key);
        if (it == files.end() || failSetStatus.count(key)) return false;
        it->second.status.creationTime = status.creationTime;
        it->second.status.lastWriteTime = status.lastWriteTime;
        it->second.status.lastAccessTime = status.lastAccessTime;
        it->second.status.attributes = status.attributes;
        return true;
    }
    bool IsRemovableDrive(const std::string& path) override {
        const std::string key = AsciiUpperCopy(path);
        for (const auto& prefix : removablePrefixes) {
            if (key.rfind(AsciiUpperCopy(prefix), 0) == 0) return true;
        }
        return false;
    }
    std::string WindowsDirectory() override { return windowsDirectory; }
    std::uint64_t Milliseconds() override { return clock += 5; }
    bool CanCreateFileIn(const std::string& folder) override {
        return folders.count(Key(folder)) && !IsIn(readOnlyFolders, folder);
    }
    bool IsFileInUse(const std::string& path) override { return HasFile(path) && IsIn(filesInUse, path); }
    bool IsProgramRunning(const std::string& path) override { return IsIn(runningPrograms, path); }

    std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) override {
        const std::string key = RegKey(subkey);
        if (deniedKeys.count(key) || !registry.count(key)) return nullptr;
        return std::make_unique<Key_>(*this, key);
    }
    long CreateClassesKey(const std::string& subkey) override {
        const std::string key = RegKey(subkey);
        for (std::size_t p = key.find('\\'); ; p = key.find('\\', p + 1)) {
            const std::string part = p == std::string::npos ? key : key.substr(0, p);
            if (deniedKeys.count(part)) return 5;  // ERROR_ACCESS_DENIED
            registry.emplace(part, std::string());
            if (p == std::string::npos) break;
        }
        return 0;
    }
    void NotifyAssociationsChanged() override { ++associationNotifications; }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, buttons});
        if (onMessage) onMessage(messages.back());
        if (unattended) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::NoOneToAsk;
        if (answers.empty()) return MessageAnswer::Ok;
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::unique_ptr<WaitCursor> BeginWaitCursor() override {
        ++waitCursorsBegun;
        return std::make_unique<Cursor>(*this);
    }
    std::unique_ptr<RunProgress> BeginProgress(const std::string&) override {
        ++progressShown;
        return std::make_unique<Progress>(*this);
    }
    void Log(const std::string& event) override { log.push_back(event); }

    int ArchiveEntry6(int value) override { entry6Calls.push_back(value); return 0; }
    int ArchiveEntry8(int value) override { entry8Calls.push_back(value); return 0; }
    int ArchiveCommand(const std::string& commandLine, std::string& output, std::size_t outputSize,
                       ArchiveListener* listener) override {
        archiveCommands.push_back(commandLine);
        output.clear();
        const int r = onArchiveCommand ? onArchiveCommand(commandLine, output) : 0;
        if (outputSize > 0 && output.size() > outputSize - 1) output.resize(outputSize - 1);
        if (r == 0) Simulate(commandLine, listener);
        return r;
    }
    // The command lines of one kind: 'e' extractions or 't' tests.
    std::vector<std::string> Commands(char kind) const {
        std::vector<std::string> out;
        for (const auto& c : archiveCommands) {
            if (!c.empty() && c[0] == kind) out.push_back(c);
        }
        return out;
    }

    // Windows-style key of a path: '/' -> '\', runs of '\' collapsed, no trailing '\'
    // (except at a drive root), ASCII upper case.
    static std::string Key(const std::string& path) { return AsciiUpperCopy(Norm(path)); }
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

private:
    class MemoryFile : public InputFile {
    public:
        explicit MemoryFile(std::string data) : data_(std::move(data)) {}
        std::size_t Read(void* buffer, std::size_t size) override {
            const std::size_t n = std::min(size, data_.size() - pos_);
            std::memcpy(buffer, data_.data() + pos_, n);
            pos_ += n;
            return n;
        }
        bool Seek(std::uint64_t offset) override {
            pos_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, data_.size()));
            return true;
        }
    private:
        std::string data_;
        std::size_t pos_ = 0;
    };
    class Key_ : public RegistryKey {
    public:
        Key_(TestPlatform& p, std::string key) : p_(p), key_(std::move(key)) {}
        long SetDefaultValue(const std::string& text) override {
            p_.registry[key_] = text;
            return 0;
        }
    private:
        TestPlatform& p_;
        std::string key_;
    };
    class Progress : public RunProgress {
    public:
        explicit Progress(TestPlatform& p) : p_(p) {}
        void Item(int number, int count, const std::string& name, bool checking) override {
            p_.progressItems.push_back((checking ? "checking " : "") + std::to_string(number) + "/" +
                                       std::to_string(count) + " " + name);
        }
        void Bytes(std::uint64_t, std::uint64_t) override {}
    private:
        TestPlatform& p_;
    };
    // Reports the entries of a known archive, and an extraction writes them.
    void Simulate(const std::string& commandLine, ArchiveListener* listener) {
        const auto open = commandLine.find('"');
        const auto close = open == std::string::npos ? open : commandLine.find('"', open + 1);
        if (close == std::string::npos) return;
        const auto it = archiveEntries.find(Key(commandLine.substr(open + 1, close - open - 1)));
        if (it == archiveEntries.end()) return;
        std::string target;
        const auto open2 = commandLine.find('"', close + 1);
        if (open2 != std::string::npos) target = commandLine.substr(open2 + 1, commandLine.size() - open2 - 2);
        std::uint64_t read = 0;
        for (const auto& name : it->second) {
            read += 10;
            if (!target.empty()) AddFile(target + "\\" + name.substr(name.find_last_of("/\\") + 1), "from " + name);
            if (listener) {
                ArchiveProgress e;
                e.kind = ArchiveProgress::Kind::Entry;
                e.entryName = name;
                e.entrySize = 10;
                e.crcChecked = true;
                e.bytesRead = read;
                listener->OnArchiveProgress(e);
            }
        }
    }
    class Cursor : public WaitCursor {
    public:
        explicit Cursor(TestPlatform& p) : p_(p) { ++p_.waitCursorsActive; }
        ~Cursor() override { --p_.waitCursorsActive; }
    private:
        TestPlatform& p_;
    };

    void AddOne(const std::string& norm) {
        const std::string key = AsciiUpperCopy(norm);
        if (folders.insert(key).second) {
            order.push_back(key);
            const auto slash = norm.rfind('\\');
            names[key] = norm.substr(slash == std::string::npos ? 0 : slash + 1);
        }
    }
    static bool IsRoot(const std::string& key) {
        return key.size() == 3 && key[1] == ':' && key[2] == '\\';
    }
    static std::string RegKey(const std::string& subkey) {
        std::string k = AsciiUpperCopy(subkey);
        while (!k.empty() && k.back() == '\\') k.pop_back();
        return k;
    }
    static std::string AsciiUpperCopy(const std::string& s) {
        std::string out(s);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return out;
    }
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
                ++m; ++n;
            } else if (m < mask.size() && mask[m] == '*') {
                star = m++; back = n;
            } else if (star != std::string::npos) {
                m = star + 1; n = ++back;
            } else {
                return false;
            }
        }
        while (m < mask.size() && mask[m] == '*') ++m;
        return m == mask.size();
    }

    std::map<std::string, File> files;
    std::set<std::string> folders;
    std::map<std::string, std::string> names;  // original spelling, when it matters
    std::vector<std::string> order;            // the order a search returns entries in
    std::uint64_t clock = 0;
};

}  // namespace kavrel::test
