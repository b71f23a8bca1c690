// One entry's header, read from any of the four header levels, and the rules they
// share: extended headers (levels 1-3), path splitting, symbolic links.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lha/Decoder.h"

namespace kavrel::lha {

// Random access to the archive file (or to bytes in memory).
class RandomAccess {
public:
    virtual ~RandomAccess() = default;
    virtual std::uint64_t Size() const = 0;
    // False unless all `size` bytes could be read.
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
    // The bytes in place when the file is mapped in memory, else nullptr (then ReadAt).
    virtual const std::uint8_t* View(std::uint64_t offset, std::size_t size) {
        (void)offset;
        (void)size;
        return nullptr;
    }
    // False once a part of a view could not be read (the file was cut short meanwhile):
    // what was decoded from it is not the archive's.
    virtual bool Intact() const { return true; }
    // The bytes of a view before `upTo` are no longer needed.
    virtual void Release(const std::uint8_t* upTo) { (void)upTo; }
};

class MemoryFile : public RandomAccess {
public:
    MemoryFile(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

struct EntryHeader {
    std::uint64_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t originalSize = 0;
    char methodId[6] = {};  // "-lh5-" and a terminator
    Method method = Method::Unknown;
    int level = 0;
    std::uint16_t crc = 0;
    bool hasCrc = false;
    std::uint8_t osId = 0;
    std::uint8_t dosAttribute = 0;
    std::uint32_t dosTime = 0;      // levels 0 and 1: MS-DOS local date and time
    std::int64_t unixTime = 0;      // levels 2 and 3, or the 0x54 extended header
    bool hasUnixTime = false;
    std::uint16_t unixMode = 0;
    bool hasUnixMode = false;
    // The stored path split at its separators (0xFF, '\' outside double-byte
    // characters, '/'), code page 932 bytes; the last one is the file name (empty for
    // a directory entry that names only a folder).
    std::vector<std::string> directory;
    std::string fileName;
    bool absolute = false;  // the stored path began with a separator (/tmp/x, \\server\x)
    bool isSymlink = false;
    std::string symlinkTarget;

    // The path in UTF-8, as files are created and entries named: from the UTF-16 name
    // (extended header 0x44) and folder (0x45) where the header carries them, else the
    // code page 932 path above, converted.
    std::vector<std::string> directoryUtf8;
    std::string fileNameUtf8;

    bool IsDirectory() const { return method == Method::Directory && !isSymlink; }
    // The stored path, components joined by '/'.
    std::string Path() const;
    // The same of the UTF-8 path, for messages and listings.
    std::string PathUtf8() const;
};

enum class HeaderStatus {
    Ok,
    End,          // the archive's terminating zero byte, or the end of the file
    Truncated,    // the header runs past the end of the file
    BadChecksum,  // header checksum (levels 0, 1) or header CRC (levels 2, 3) wrong
    Malformed,    // sizes or fields that cannot be
    UnknownLevel,
};

// Reads the header at `offset`. On Ok, `header` describes the entry and its data lie at
// header.dataOffset (not checked against the file size here).
HeaderStatus ReadHeader(RandomAccess& file, std::uint64_t offset, EntryHeader& header);

// --- shared by the level readers ---
namespace detail {
std::uint16_t Le16(const std::uint8_t* p);
std::uint32_t Le32(const std::uint8_t* p);
std::uint64_t Le64(const std::uint8_t* p);
// Splits a stored path at 0xFF, '/' and single-byte '\' (code page 932 aware); appends
// the non-empty components.
void SplitPath(const std::string& path, std::vector<std::string>& out);
// The name fields of a header, gathered until FinishHeader.
struct NameFields {
    std::string name;                // the base header's (levels 0, 1) or 0x01, code page 932
    std::string directory;           // 0x02
    std::u16string utf16Name;        // 0x44
    std::u16string utf16Directory;   // 0x45, U+FFFF between folders
    bool hasUtf16Name = false;
    bool hasUtf16Directory = false;
};
// Applies one extended header (type byte, then data); false when it cannot be (a
// UTF-16 name of an odd size).
bool ApplyExtendedHeader(EntryHeader& header, std::uint8_t type, const std::uint8_t* data, std::size_t size,
                         NameFields& names);
// After all fields are in: the paths, with "name|target" of symbolic links split off.
void FinishHeader(EntryHeader& header, const NameFields& names);

HeaderStatus ReadLevel0(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header);
HeaderStatus ReadLevel1(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header);
HeaderStatus ReadLevel2(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header);
HeaderStatus ReadLevel3(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header);
}  // namespace detail

}  // namespace kavrel::lha
