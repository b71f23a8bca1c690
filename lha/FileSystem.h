// The few file operations extraction needs, so that the engine runs on Linux (tests,
// fuzzing, the native tool) and in UNLHA32.dll alike. Paths are UTF-8; each
// implementation converts at its edge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha {

class OutputFile {
public:
    virtual ~OutputFile() = default;
    // False when not every byte could be written (disk full, file too large).
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Flushes to the disk and closes; false if anything was lost. What was written is
    // on the disk once this returns true, so a rename after it cannot outrun the data.
    virtual bool Close() = 0;
};

class FileSystem {
public:
    // Link: a symbolic link, junction or mount point, never followed by Stat.
    enum class Kind { Missing, File, Directory, Link, Other };
    virtual ~FileSystem() = default;

    virtual char Separator() const = 0;
    virtual Kind Stat(const std::string& path) = 0;
    virtual std::unique_ptr<RandomAccess> OpenRead(const std::string& path) = 0;
    // One level; false when it cannot be made (an existing folder is not an error here:
    // the caller checks first).
    virtual bool MakeDirectory(const std::string& path) = 0;
    // Removes an empty folder.
    virtual bool RemoveFolder(const std::string& path) = 0;
    // Creates a new, empty, normal file; nullptr when the name exists or on failure.
    virtual std::unique_ptr<OutputFile> CreateNew(const std::string& path) = 0;
    // Renames a file on its volume, keeping its bytes and attributes, and returns once the
    // rename is on the disk. Never replaces: false when `to` exists.
    virtual bool Move(const std::string& from, const std::string& to) = 0;
    // Gives the file `from` a second name `to` (a hard link), so that its bytes stay
    // there when `from` is replaced. False where the volume has no such links (FAT), when
    // `to` exists, or when `from` is read-only (a replace of it would fail).
    virtual bool Link(const std::string& from, const std::string& to) = 0;
    // Like Move, but an existing `to` (a file) is replaced in the same step.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // The names of the plain files (no folders, no links) in `folder`.
    virtual std::vector<std::string> ListFiles(const std::string& folder) = 0;
    // Deletes a file, read-only or not.
    virtual bool Remove(const std::string& path) = 0;
    // Seconds since 1970 (UTC); best effort.
    virtual void SetModificationTime(const std::string& path, std::int64_t unixTime) = 0;
    // Bytes free for this process on the drive that holds the existing folder `path`;
    // false when that cannot be known.
    virtual bool FreeSpace(const std::string& path, std::uint64_t& bytes) = 0;
};

// The native file system (POSIX): UTF-8 names as they are. Not built into the DLL.
std::unique_ptr<FileSystem> MakePosixFileSystem();

}  // namespace kavrel::lha
