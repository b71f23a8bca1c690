// Level 0: a one-byte header size and a one-byte checksum (sum of the header bytes
// after these two), the path in the name field, MS-DOS time, and after the data CRC
// optionally an OS byte and a Unix extension (LHa for UNIX).
//
//  0 size  1 sum  2 method[5]  7 packed[4]  11 original[4]  15 time[4]  19 attr  20 level
//  21 name length N  22 name[N]  22+N crc[2]  (24+N os, ...)
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha::detail {

namespace {
std::uint8_t Checksum(const std::uint8_t* p, std::size_t n) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += p[i];
    return static_cast<std::uint8_t>(sum);
}
}  // namespace

// Reads the H+2 bytes of a level 0 or 1 base header and checks its checksum.
HeaderStatus ReadBaseHeader(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first,
                            std::vector<std::uint8_t>& bytes) {
    const std::size_t total = static_cast<std::size_t>(first[0]) + 2;
    if (total < 22 || total < 22u + first[21]) return HeaderStatus::Malformed;
    bytes.resize(total);
    if (file.Size() - offset < total || !file.ReadAt(offset, bytes.data(), total)) return HeaderStatus::Truncated;
    if (Checksum(bytes.data() + 2, total - 2) != bytes[1]) return HeaderStatus::BadChecksum;
    return HeaderStatus::Ok;
}

HeaderStatus ReadLevel0(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header) {
    std::vector<std::uint8_t> b;
    const HeaderStatus st = ReadBaseHeader(file, offset, first, b);
    if (st != HeaderStatus::Ok) return st;
    const std::size_t n = b[21];
    header.compressedSize = Le32(&b[7]);
    header.originalSize = Le32(&b[11]);
    header.dosTime = Le32(&b[15]);
    header.dosAttribute = b[19];
    if (b.size() >= 24 + n) {
        header.crc = Le16(&b[22 + n]);
        header.hasCrc = true;
    }
    if (b.size() >= 25 + n) header.osId = b[24 + n];
    // LHa for UNIX: 'U', a version byte, mtime[4], mode[2], uid[2], gid[2].
    if (header.osId == 'U' && b.size() >= 24 + n + 12) {
        header.unixTime = Le32(&b[26 + n]);
        header.hasUnixTime = true;
        header.unixMode = Le16(&b[30 + n]);
        header.hasUnixMode = true;
    }
    header.dataOffset = offset + b.size();
    NameFields names;
    names.name.assign(reinterpret_cast<const char*>(&b[22]), n);
    FinishHeader(header, names);
    return HeaderStatus::Ok;
}

}  // namespace kavrel::lha::detail
