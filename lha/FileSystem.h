// The few file operations extraction needs, so that the engine runs on Linux (tests,
// fuzzing, the native tool) and in UNLHA32.dll alike. Paths are UTF-8; each
// implementation converts at its edge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lha/Header.h"

namespace kavrel::lha {

class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Flushes and closes; false if anything was lost.
    virtual bool Close() = 0;
};

class FileSystem {
public:
    enum class Kind { Missing, File, Directory, Other };
    virtual ~FileSystem() = default;

    virtual char Separator() const = 0;
    virtual Kind Stat(const std::string& path) = 0;
    virtual std::unique_ptr<RandomAccess> OpenRead(const std::string& path) = 0;
    // One level; false when it cannot be made (an existing folder is not an error here:
    // the caller checks first).
    virtual bool MakeDirectory(const std::string& path) = 0;
    // Creates a new, empty, normal file; nullptr when the name exists or on failure.
    virtual std::unique_ptr<OutputFile> CreateNew(const std::string& path) = 0;
    // Moves `from` over `to`, replacing a file there even when it is read-only.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Seconds since 1970 (UTC); best effort.
    virtual void SetModificationTime(const std::string& path, std::int64_t unixTime) = 0;
};

// The native file system (POSIX): UTF-8 names as they are. Not built into the DLL.
std::unique_ptr<FileSystem> MakePosixFileSystem();

}  // namespace kavrel::lha
