// Writing LZH archives: files and folders from disk, compressed with Kavrel's own
// encoder, through a temporary file that replaces the archive only when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lha/encoder/Encoder.h"

namespace kavrel::lha {

struct WriteOptions {
    Method method = Method::Lh7;  // one that CanEncode
    int level = 0;              // 0 = the default level; 1..9, 9 = the maximum level
    int headerLevel = 2;        // 1 or 2
    bool reproducible = false;  // fixed time stamp, entries in sorted order
};

struct SourceEntry {
    std::string sourcePath;  // a file or folder on disk, UTF-8
    std::string storedPath;  // its path inside the archive, '/'-separated, UTF-8, relative
                             // (empty for a folder: its contents at the top of the archive)
};

// Writes `archivePath` (through a temporary file, renamed when complete). Folders in
// `entries` are added with everything below them. False with a message in `error`
// (nothing is left behind then).
bool WriteArchive(const std::string& archivePath, const std::vector<SourceEntry>& entries,
                  const WriteOptions& options, std::string& error);

// One entry as it went into the archive.
struct WrittenEntry {
    std::string storedPath;  // UTF-8, '/'-separated; folders end with '/'
    Method method = Method::Stored;  // as written (Stored when compression did not pay)
    std::uint64_t originalSize = 0;
    std::uint64_t packedSize = 0;
};

class SourceFileSystem;

// The same on a file system of the caller's (tests); `written`, when given, receives
// every entry in archive order.
bool WriteArchive(SourceFileSystem& fs, const std::string& archivePath, const std::vector<SourceEntry>& entries,
                  const WriteOptions& options, std::string& error, std::vector<WrittenEntry>* written = nullptr);

}  // namespace kavrel::lha
