// The files Kavrel's logic reads and writes: the medium's (info.txt, the artwork, the
// items) and the installation's (the checks, the items' targets). Each caller takes
// the narrowest of these it needs, so that a test or a tool implements only that.
//
// All texts are UTF-8. Paths are used exactly as the caller built them (plain
// concatenation, doubled backslashes and all): an implementation must not tidy them.
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
    // True once a read has failed (a bad sector, a vanished share): the 0 that Read
    // returned was no end of the file.
    virtual bool Failed() const { return false; }
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

inline constexpr std::uint32_t kReadOnlyAttribute = 0x01;

// Whether an installed file can be replaced now. A read-only attribute alone does not
// stop it: the run clears that attribute itself.
enum class ReplaceProbe {
    Free,          // replaceable, or not there at all
    InUse,         // another program holds it open without sharing
    AccessDenied,  // the user may not write, rename or delete it
};

// Reading, anywhere.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Existence test (a file or a folder both count), like _access(path, 0).
    virtual bool Exists(const std::string& path) = 0;
    // Opens a file for reading; null when it cannot be opened.
    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
};

// Listing folders: the installation's icon, the destination page's folders.
class FolderSearch {
public:
    virtual ~FolderSearch() = default;
    // Directory search with a wildcard pattern ("C:\PROG\*.ico"), in the system's order,
    // dot entries included as the system returns them. Empty when nothing is found.
    virtual std::vector<FoundEntry> FindFiles(const std::string& pattern) = 0;
};

// The medium's drive. The roles share no base class, so that one class implements them
// side by side without virtual bases (MinGW's LTO link of those failed on thunks it
// emitted twice).
class MediumDrives {
public:
    virtual ~MediumDrives() = default;
    // True when the drive that holds `path` is a removable drive (a floppy, a stick):
    // then its disks are asked for in turn.
    virtual bool IsRemovableDrive(const std::string& path) = 0;
};

// Writing the installation folder and everything the items write below it.
class InstallationFiles {
public:
    virtual ~InstallationFiles() = default;
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

    // Held while a run works on an installation; the system lets go of it when the
    // process ends, however it ends.
    class Lock {
    public:
        virtual ~Lock() = default;
    };
    enum class LockResult { Held, Busy, Unavailable };
    // Makes `workFolder` (a folder of Kavrel's own, never a link) when it is missing and
    // takes its lock: Busy when another process holds it, Unavailable when the folder
    // cannot be made or used.
    virtual LockResult LockWorkFolder(const std::string& workFolder, std::unique_ptr<Lock>& lock) = 0;
    // Removes the work folder when it is empty.
    virtual void RemoveWorkFolder(const std::string& workFolder) = 0;
    // True when `path` is a symbolic link, junction or mount point (never followed).
    virtual bool IsLink(const std::string& path) = 0;
    // Whether `path` can be replaced: opened as a replacement opens it, changing nothing.
    virtual ReplaceProbe ProbeReplace(const std::string& path) = 0;
    // The bytes the caller may still write on the drive that holds `folder`; false when
    // the drive cannot tell.
    virtual bool FreeBytes(const std::string& folder, std::uint64_t& bytes) = 0;
};

}  // namespace kavrel
