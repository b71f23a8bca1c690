// What the archive writer needs from the operating system: reading the sources (files,
// folders, times, attributes) and writing the archive through a temporary file. Paths
// are UTF-8; each implementation converts at its edge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lha/Stream.h"

namespace kavrel::lha {

struct SourceInfo {
    enum class Kind { Missing, File, Directory, Link, Other };
    Kind kind = Kind::Missing;
    std::uint64_t size = 0;
    std::int64_t modified = 0;      // seconds since 1970, UTC
    std::uint8_t attributes = 0x20;  // MS-DOS attributes
    bool hasWindowsTimes = false;    // FILETIMEs (Windows only)
    std::uint64_t createdTime = 0;
    std::uint64_t modifiedTime = 0;
    std::uint64_t accessedTime = 0;
    // Identifies the file itself (device and inode, volume and file index).
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
};

// A file being read: a ByteSource that remembers whether reading failed.
class SourceFile : public ByteSource {
public:
    virtual bool Failed() const = 0;
};

// The archive being written.
class ArchiveOutput {
public:
    virtual ~ArchiveOutput() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    virtual std::uint64_t Position() const = 0;
    // Moves the write position back to `offset` and drops everything after it.
    virtual bool Truncate(std::uint64_t offset) = 0;
    // Writes at `offset` without moving the write position.
    virtual bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
    // Flushes and closes; false if anything was lost.
    virtual bool Close() = 0;
};

class SourceFileSystem {
public:
    virtual ~SourceFileSystem() = default;
    // Does not follow a symbolic link at `path` (reported as Link).
    virtual SourceInfo Stat(const std::string& path) = 0;
    // The names in a folder (without "." and ".."); false when it cannot be read.
    virtual bool List(const std::string& path, std::vector<std::string>& names) = 0;
    virtual std::unique_ptr<SourceFile> Open(const std::string& path) = 0;
    // Creates a new file named after `path` in its folder, for writing; fills `created`.
    virtual std::unique_ptr<ArchiveOutput> CreateTemporary(const std::string& path, std::string& created) = 0;
    // Moves `from` over `to`, replacing a file there.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // MS-DOS date and time (local time) of a moment.
    virtual std::uint32_t DosTime(std::int64_t unixTime) = 0;
    // The path of `name` inside folder `folder`.
    virtual std::string Join(const std::string& folder, const std::string& name) = 0;
};

// The file system of the platform the program runs on.
std::unique_ptr<SourceFileSystem> MakeNativeSourceFileSystem();

}  // namespace kavrel::lha
