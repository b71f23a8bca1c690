// The seams of a run for native tests, besides the files: a registry, a scripted
// dialogue, a recording log, an archive library that plays back known archives into the
// memory files, and a machine. TestSeams bundles them with one MemoryFiles.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/RunSeams.h"
#include "tests/support/MemoryFiles.h"
#include "tests/support/MemoryStaging.h"
#include "tests/support/PeImage.h"

namespace kavrel::test {

// Keys under HKEY_CLASSES_ROOT (upper case, no trailing backslash) and their default
// values; keys in `deniedKeys` can be neither opened nor created.
class MemoryRegistry : public ClassesRegistry {
public:
    std::map<std::string, std::string> keys;
    std::set<std::string> deniedKeys;
    int associationNotifications = 0;

    void AddKey(const std::string& subkey, const std::string& value = {}) { keys[Norm(subkey)] = value; }
    bool HasKey(const std::string& subkey) const { return keys.count(Norm(subkey)) != 0; }
    std::string ValueOf(const std::string& subkey) const {
        auto it = keys.find(Norm(subkey));
        return it == keys.end() ? std::string("<missing>") : it->second;
    }

    std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) override {
        const std::string key = Norm(subkey);
        if (deniedKeys.count(key) || !keys.count(key)) return nullptr;
        return std::make_unique<Key>(keys[key]);
    }
    long CreateClassesKey(const std::string& subkey) override {
        const std::string key = Norm(subkey);
        for (std::size_t p = key.find('\\');; p = key.find('\\', p + 1)) {
            const std::string part = p == std::string::npos ? key : key.substr(0, p);
            if (deniedKeys.count(part)) return 5;  // ERROR_ACCESS_DENIED
            keys.emplace(part, std::string());
            if (p == std::string::npos) return 0;
        }
    }
    void NotifyAssociationsChanged() override { ++associationNotifications; }

private:
    class Key : public RegistryKey {
    public:
        explicit Key(std::string& value) : value_(value) {}
        long SetDefaultValue(const std::string& text) override {
            value_ = text;
            return 0;
        }

    private:
        std::string& value_;
    };
    static std::string Norm(const std::string& subkey) {
        std::string k = MemoryFiles::Upper(subkey);
        while (!k.empty() && k.back() == '\\') k.pop_back();
        return k;
    }
};

// Message boxes answered from a script (Ok once it runs out), the wait cursor counted
// and every item the progress showed ("3/7 NAME", "checking " in front while an archive
// is tested).
class ScriptedDialogue : public UserDialogue {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::function<void(const Message&)> onMessage;  // e.g. to swap the disk behind a prompt
    bool unattended = false;                        // questions get no answer
    int waitCursorsActive = 0, waitCursorsBegun = 0, progressShown = 0;
    std::vector<std::string> progressItems;

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text);
        return out;
    }

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
        return std::make_unique<Cursor>(waitCursorsActive);
    }
    std::unique_ptr<RunProgress> BeginProgress(const std::string&) override {
        ++progressShown;
        return std::make_unique<Progress>(progressItems);
    }

private:
    class Cursor : public WaitCursor {
    public:
        explicit Cursor(int& active) : active_(++active) {}
        ~Cursor() override { --active_; }

    private:
        int& active_;
    };
    class Progress : public RunProgress {
    public:
        explicit Progress(std::vector<std::string>& items) : items_(items) {}
        void Item(int number, int count, const std::string& name, bool checking) override {
            items_.push_back((checking ? "checking " : "") + std::to_string(number) + "/" +
                             std::to_string(count) + " " + name);
        }
        void Bytes(std::uint64_t, std::uint64_t) override {}

    private:
        std::vector<std::string>& items_;
    };
};

class RecordingLog : public EventLog {
public:
    std::vector<std::string> events;
    void Log(const std::string& event) override { events.push_back(event); }
};

// Records every command; `onArchiveCommand` gives its result and output. A command that
// succeeds on an archive named in `archiveEntries` (by its path on the command line,
// without ".lzh") reports those stored names as the library does, and an extraction
// writes them into its destination.
class ScriptedArchives : public ArchiveLibrary {
public:
    explicit ScriptedArchives(MemoryFiles& files) : files_(files) {}

    std::vector<int> entry6Calls, entry8Calls;
    std::vector<std::string> archiveCommands;
    std::function<int(const std::string& commandLine, std::string& output)> onArchiveCommand;
    std::map<std::string, std::vector<std::string>> archiveEntries;

    // The command lines of one kind: 'e' extractions or 't' tests.
    std::vector<std::string> Commands(char kind) const {
        std::vector<std::string> out;
        for (const auto& c : archiveCommands) {
            if (!c.empty() && c[0] == kind) out.push_back(c);
        }
        return out;
    }

    int Entry6(int value) override {
        entry6Calls.push_back(value);
        return 0;
    }
    int Entry8(int value) override {
        entry8Calls.push_back(value);
        return 0;
    }
    int Command(const std::string& commandLine, std::string& output, std::size_t outputSize,
                ArchiveListener& listener) override {
        archiveCommands.push_back(commandLine);
        output.clear();
        const int r = onArchiveCommand ? onArchiveCommand(commandLine, output) : 0;
        if (outputSize > 0 && output.size() > outputSize - 1) output.resize(outputSize - 1);
        if (r == 0) PlayBack(commandLine, listener);
        return r;
    }

private:
    void PlayBack(const std::string& commandLine, ArchiveListener& listener) {
        const auto open = commandLine.find('"');
        const auto close = open == std::string::npos ? open : commandLine.find('"', open + 1);
        if (close == std::string::npos) return;
        auto it = archiveEntries.begin();
        const std::string archive = MemoryFiles::Key(commandLine.substr(open + 1, close - open - 1));
        while (it != archiveEntries.end() && MemoryFiles::Key(it->first) != archive) ++it;
        if (it == archiveEntries.end()) return;
        std::string target;
        const auto open2 = commandLine.find('"', close + 1);
        if (open2 != std::string::npos) target = commandLine.substr(open2 + 1, commandLine.size() - open2 - 2);
        std::uint64_t read = 0;
        for (const auto& name : it->second) {
            read += 10;
            if (!target.empty()) files_.AddFile(target + "\\" + name.substr(name.find_last_of("/\\") + 1), "from " + name);
            ArchiveProgress e;
            e.kind = ArchiveProgress::Kind::Entry;
            e.entryName = name;
            e.entrySize = 10;
            e.crcChecked = true;
            e.bytesRead = read;
            listener.OnArchiveProgress(e);
        }
    }
    MemoryFiles& files_;
};

class FakeMachine : public Machine {
public:
    std::string windowsDirectory = "C:\\WINDOWS";
    std::set<std::string> runningPrograms;  // program files of running processes, any spelling
    std::string WindowsDirectory() override { return windowsDirectory; }
    bool IsProgramRunning(const std::string& path) override {
        for (const auto& p : runningPrograms) {
            if (MemoryFiles::Key(p) == MemoryFiles::Key(path)) return true;
        }
        return false;
    }
    std::uint64_t Milliseconds() override { return clock_ += 5; }

private:
    std::uint64_t clock_ = 0;
};

// Kavrel's own file: without a list unless a test gives it one.
class FakeTrust : public ProgramTrust {
public:
    std::string image = PeImageWith({});
    bool readable = true;
    OwnSignature signature{OwnSignature::Verdict::Trusted, "CN=Test Vendor", ""};  // for a signed image
    bool ReadOwnImage(std::string& bytes) override {
        bytes = image;
        return readable;
    }
    OwnSignature CheckOwnSignature(bool signedImage) override { return signedImage ? signature : OwnSignature{}; }
};

// Everything a run reaches, in memory; the medium and the installation share one tree.
struct TestSeams {
    MemoryFiles files;
    MemoryRegistry registry;
    ScriptedDialogue user;
    RecordingLog log;
    ScriptedArchives archives{files};
    FakeMachine machine;
    MemoryStaging staging{files};
    std::unique_ptr<Hashing> hashing = MakeSystemHashing();
    FakeTrust trust;

    RunSeams Run() {
        return {files, files, files, files, registry, user, log, archives, machine, staging, *hashing, trust};
    }
};

}  // namespace kavrel::test
