// Entry headers of levels 1 and 2 as the encoder writes them. A header's length depends
// only on the names and the options, never on sizes, CRC or method: the archive writer
// writes it first and rewrites it in place once the data is in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lha/Format.h"

namespace kavrel::lha::encoder {

struct HeaderFields {
    Method method = Method::Stored;      // Directory for a folder
    std::vector<std::string> directory;  // code page 932 components
    std::string name;                    // code page 932; empty for a folder
    std::uint64_t packedSize = 0;
    std::uint64_t originalSize = 0;
    std::uint16_t crc = 0;
    std::int64_t unixTime = 0;   // level 2
    std::uint32_t dosTime = 0;   // level 1: MS-DOS local date and time
    std::uint8_t attribute = 0x20;
    bool hasWindowsTimes = false;  // FILETIMEs, 100 ns since 1601
    std::uint64_t created = 0;
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
};

// Largest size either level can describe (4-byte size fields).
constexpr std::uint64_t kMaxEntrySize = 0xFFFFFFFFu;

// The header bytes; false with a message when the names do not fit the level or the
// sizes do not fit its fields.
bool BuildHeader(int level, const HeaderFields& fields, std::vector<std::uint8_t>& out, std::string& error);

}  // namespace kavrel::lha::encoder
