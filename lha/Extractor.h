// Extraction as UNLHA32.dll's command entry and the native tool run it: read and check
// every header first; then decode every entry and check its length and CRC before the
// first installed file is replaced (see Staging.h); a failure anywhere leaves the
// destination as it was.
#pragma once

#include <cstdint>
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
    // UTF-8; Kavrel's work folder at the installation's root (see Staging.h), else ignored
    std::string workFolder;
};

struct Outcome {
    bool ok = false;
    std::string message;  // Japanese, UTF-8; empty on success
    int filesWritten = 0;
    int entriesSkipped = 0;  // symbolic links, and directories with `e`
};

// What a run reports while it works, on the calling thread. Every method does nothing
// unless overridden.
class ExtractionObserver {
public:
    virtual ~ExtractionObserver() = default;
    // Every header is read and every name checked (e, x, t): `entries` entries will be
    // reported through OnEntry, and `compressedBytes` bytes of compressed data read.
    virtual void OnBegin(std::uint64_t entries, std::uint64_t compressedBytes) {
        (void)entries;
        (void)compressedBytes;
    }
    // Compressed bytes read so far, while decoding (t, and e and x before anything is
    // put in place).
    virtual void OnBytesRead(std::uint64_t bytesRead) { (void)bytesRead; }
    // Every entry as it is listed (l); each file entry once it checked out (t) or is in
    // place (e, x: once every one of them is).
    // `crcChecked`: its decoded bytes matched the CRC-16 of its header.
    virtual void OnEntry(const EntryHeader& header, bool crcChecked) {
        (void)header;
        (void)crcChecked;
    }
};

Outcome RunRequest(FileSystem& fs, const Request& request, ExtractionObserver* observer = nullptr);

// The archive path as found: `path` itself when it is a file, else `path` with a
// ".lzh" extension in any case. Empty when none exists.
std::string ResolveArchivePath(FileSystem& fs, const std::string& path);

}  // namespace kavrel::lha
