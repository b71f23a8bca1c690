// What Kavrel's logic needs from the operating system. The logic (description reader,
// checks, update run) sees only this interface, so it runs natively in tests with a test
// implementation; the program uses the Win32 one (platform/win32).
//
// All texts are UTF-8. Paths are used exactly as the caller built them (plain
// concatenation, doubled backslashes and all): the implementation must not tidy them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kavrel {

// An open file, read as raw bytes.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to `size` bytes; returns how many came (0 at the end or on error).
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // Moves the read position to `offset` bytes from the start.
    virtual bool Seek(std::uint64_t offset) = 0;
};

// One result of a directory search.
struct FoundEntry {
    std::string name;  // the name alone, without path
    bool isDirectory = false;
};

// Times as Windows FILETIME values (100 ns since 1601), attributes as FILE_ATTRIBUTE_*.
struct FileStatus {
    std::uint64_t creationTime = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;
};

// A key under HKEY_CLASSES_ROOT, closed when the object goes away.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Writes the key's default (unnamed) value as REG_SZ: 0, or the system's error code.
    // The registration goes on either way; the code is for the log.
    virtual long SetDefaultValue(const std::string& text) = 0;
};

enum class MessageButtons { Ok, OkCancel };
// NoOneToAsk: an unattended run shows no box, so a question gets no answer.
enum class MessageAnswer { Ok = 1, Cancel = 2, NoOneToAsk = 3 };

// The wait cursor, on while the object lives.
class WaitCursor {
public:
    virtual ~WaitCursor() = default;
};

// What the archive library reports while it works on one archive (entry 301).
struct ArchiveProgress {
    enum class Kind { Begin, Bytes, Entry, End };
    Kind kind = Kind::Begin;
    std::uint64_t bytesRead = 0;   // compressed bytes read so far
    std::uint64_t bytesTotal = 0;  // compressed bytes of every entry
    std::string entryName;         // Entry: the stored path, UTF-8
    std::uint64_t entrySize = 0;   // Entry: original size
    std::uint16_t entryCrc = 0;
    bool crcChecked = false;
};

class ArchiveListener {
public:
    virtual ~ArchiveListener() = default;
    virtual void OnArchiveProgress(const ArchiveProgress& progress) = 0;
};

// The progress of a run as its watcher sees it (a window over the view, or nothing):
// shown while the object lives.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // `checking`: the item's archive is being tested before anything is installed.
    virtual void Item(int number, int count, const std::string& name, bool checking) = 0;
    virtual void Bytes(std::uint64_t done, std::uint64_t total) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- files and folders ---
    // Existence test (a file or a folder both count), like _access(path, 0).
    virtual bool Exists(const std::string& path) = 0;
    // Opens a file for reading; null when it cannot be opened.
    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
    // Directory search with a wildcard pattern ("C:\PROG\*.ico"), in the platform's order,
    // dot entries included as the platform returns them. Empty when nothing is found.
    virtual std::vector<FoundEntry> FindFiles(const std::string& pattern) = 0;
    // Creates one folder (its parent must exist).
    virtual bool MakeDirectory(const std::string& path) = 0;
    // Copies a file, replacing an existing destination.
    virtual bool CopyFileOverwrite(const std::string& from, const std::string& to) = 0;
    virtual bool GetFileStatus(const std::string& path, FileStatus& status) = 0;
    // Writes times and attributes back.
    virtual bool SetFileStatus(const std::string& path, const FileStatus& status) = 0;
    // Whether a new file can be made in `folder` (one is created and removed again):
    // false when the user lacks the rights to write there.
    virtual bool CanCreateFileIn(const std::string& folder) = 0;
    // Whether another program holds `path` open so that it cannot be replaced.
    virtual bool IsFileInUse(const std::string& path) = 0;
    // Whether a running process was started from the program file `path`.
    virtual bool IsProgramRunning(const std::string& path) = 0;

    // --- system ---
    // True when the drive that holds `path` is a removable drive (a floppy, a stick).
    virtual bool IsRemovableDrive(const std::string& path) = 0;
    virtual std::string WindowsDirectory() = 0;
    // Milliseconds from some fixed point: for the log's timings.
    virtual std::uint64_t Milliseconds() = 0;

    // --- registry, HKEY_CLASSES_ROOT, full access ---
    // Opens an existing key; null when it does not exist or cannot be opened.
    virtual std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) = 0;
    // Creates a key path with its missing parents: 0, or the system's error code (for the
    // log; the registration goes on either way).
    virtual long CreateClassesKey(const std::string& subkey) = 0;
    // Tells the shell that file associations changed.
    virtual void NotifyAssociationsChanged() = 0;

    // --- user interface ---
    // Modal message box owned by the view, no icon; in an unattended run it is logged
    // instead, and a question gets NoOneToAsk.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageButtons buttons) = 0;
    virtual std::unique_ptr<WaitCursor> BeginWaitCursor() = 0;
    virtual std::unique_ptr<RunProgress> BeginProgress(const std::string& title) = 0;

    // --- the run's log (nothing when no log is kept); one event per call, UTF-8 ---
    virtual void Log(const std::string& event) = 0;

    // --- the archive library (UNLHA32.dll entries 6, 8, 301) ---
    virtual int ArchiveEntry6(int value) = 0;
    virtual int ArchiveEntry8(int value) = 0;
    // `commandLine` is code page 932 bytes. On return `output` holds the library's
    // zero-terminated text (code page 932 bytes, without the terminator). What the
    // library reports while it works goes to `listener`, when there is one.
    virtual int ArchiveCommand(const std::string& commandLine, std::string& output,
                               std::size_t outputSize, ArchiveListener* listener = nullptr) = 0;
};

}  // namespace kavrel
