// Extraction as UNLHA32.dll's command entry and the native tool run it: check the
// whole archive first, then decode each entry into a temporary file in its folder and
// move it over the old file only when its length and CRC are right.
#pragma once

#include <functional>
#include <string>

#include "lha/FileSystem.h"

namespace kavrel::lha {

enum class Command {
    Extract,           // e: into the destination folder, stored folders dropped
    ExtractWithPaths,  // x: stored folders kept below the destination
    Test,              // t: decode and check, write nothing
    List,              // l: headers only
};

struct Request {
    Command command = Command::Extract;
    std::string archive;      // UTF-8; when missing as given, ".lzh" (any case) is tried
    std::string destination;  // UTF-8 folder; empty = current folder
};

struct Outcome {
    bool ok = false;
    std::string message;  // Japanese, UTF-8; empty on success
    int filesWritten = 0;
    int entriesSkipped = 0;  // symbolic links, and directories with `e`
};

// Called for each entry with `l` (and `t`, after it checked out).
using EntryListener = std::function<void(const EntryHeader&)>;

Outcome RunRequest(FileSystem& fs, const Request& request, const EntryListener& listener = nullptr);

// The archive path as found: `path` itself when it is a file, else `path` with a
// ".lzh" extension in any case. Empty when none exists.
std::string ResolveArchivePath(FileSystem& fs, const std::string& path);

}  // namespace kavrel::lha
