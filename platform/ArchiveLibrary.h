// The archive library, UNLHA32.dll: entries 6 and 8 (set-up) and 301 (the command).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavrel {

// What the library reports while it works on one archive (entry 301).
struct ArchiveProgress {
    enum class Kind { Begin, Bytes, Entry, End };
    Kind kind = Kind::Begin;
    std::uint64_t bytesRead = 0;   // compressed bytes read so far
    std::uint64_t bytesTotal = 0;  // compressed bytes of every entry
    std::string entryName;         // Entry: the stored path, UTF-8
    std::uint64_t entrySize = 0;   // Entry: original size
    std::uint16_t entryCrc = 0;
    bool crcChecked = false;
    std::string message;  // End: the library's whole message, UTF-8 (the output may be cut)
};

class ArchiveListener {
public:
    virtual ~ArchiveListener() = default;
    virtual void OnArchiveProgress(const ArchiveProgress& progress) = 0;
};

class ArchiveLibrary {
public:
    virtual ~ArchiveLibrary() = default;
    virtual int Entry6(int value) = 0;
    virtual int Entry8(int value) = 0;
    // `commandLine` is code page 932 bytes. On return `output` holds the library's
    // zero-terminated text (code page 932 bytes, without the terminator), of at most
    // `outputSize` - 1 bytes. What the library reports while it works goes to `listener`.
    virtual int Command(const std::string& commandLine, std::string& output, std::size_t outputSize,
                        ArchiveListener& listener) = 0;
};

}  // namespace kavrel
