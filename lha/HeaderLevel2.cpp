// Level 2: a two-byte total header size, no base checksum; Unix time; extended
// headers inside the header (type, data, 2-byte size of the next). The common header
// (type 0x00) holds the CRC-16 of the whole header, computed with that field zeroed.
//
//  0 total[2]  2 method[5]  7 packed[4]  11 original[4]  15 time_t[4]  19 reserved
//  20 level  21 crc[2]  23 os  24 first ext size[2]  26 extended headers ... (padding)
#include <vector>

#include "lha/Crc16.h"
#include "lha/Header.h"

namespace kavrel::lha::detail {

// The chain of extended headers of levels 2 and 3 inside `b`, from `at`.
HeaderStatus ReadInnerExtensions(std::vector<std::uint8_t>& b, std::size_t at, std::size_t next, int sizeBytes,
                                 EntryHeader& header) {
    NameFields names;
    std::size_t crcAt = 0;
    bool hasHeaderCrc = false;
    while (next != 0) {
        if (next < static_cast<std::size_t>(1 + sizeBytes) || at > b.size() || b.size() - at < next) {
            return HeaderStatus::Malformed;
        }
        const std::uint8_t type = b[at];
        if (type == 0x00 && next >= 3u + sizeBytes) {
            crcAt = at + 1;
            hasHeaderCrc = true;
        }
        if (!ApplyExtendedHeader(header, type, &b[at + 1], next - 1 - sizeBytes, names)) return HeaderStatus::Malformed;
        const std::size_t nextAt = at + next - sizeBytes;
        next = sizeBytes == 2 ? Le16(&b[nextAt]) : Le32(&b[nextAt]);
        at = nextAt + sizeBytes;
    }
    if (hasHeaderCrc) {
        const std::uint16_t stored = Le16(&b[crcAt]);
        b[crcAt] = 0;
        b[crcAt + 1] = 0;
        const std::uint16_t actual = Crc16(b.data(), b.size());
        b[crcAt] = static_cast<std::uint8_t>(stored);
        b[crcAt + 1] = static_cast<std::uint8_t>(stored >> 8);
        if (stored != actual) return HeaderStatus::BadChecksum;
    }
    FinishHeader(header, names);
    return HeaderStatus::Ok;
}

HeaderStatus ReadLongHeader(RandomAccess& file, std::uint64_t offset, std::size_t total, std::size_t extensionsAt,
                            int sizeBytes, EntryHeader& header);

HeaderStatus ReadLevel2(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header) {
    std::size_t total = Le16(first);
    // OS-9/68k's LHa counts the header without its two size bytes.
    if (first[23] == 'K') total += 2;
    if (total < 26) return HeaderStatus::Malformed;
    return ReadLongHeader(file, offset, total, 26, 2, header);
}

// Levels 2 and 3 share their layout up to the first extension, whose size field of
// `sizeBytes` bytes ends at `extensionsAt`.
HeaderStatus ReadLongHeader(RandomAccess& file, std::uint64_t offset, std::size_t total, std::size_t extensionsAt,
                            int sizeBytes, EntryHeader& header) {
    std::vector<std::uint8_t> b(total);
    if (file.Size() - offset < total || !file.ReadAt(offset, b.data(), total)) return HeaderStatus::Truncated;
    header.compressedSize = Le32(&b[7]);
    header.originalSize = Le32(&b[11]);
    header.unixTime = Le32(&b[15]);
    header.hasUnixTime = true;
    header.crc = Le16(&b[21]);
    header.hasCrc = true;
    header.osId = b[23];
    header.dataOffset = offset + total;
    const std::size_t next = sizeBytes == 2 ? Le16(&b[extensionsAt - 2]) : Le32(&b[extensionsAt - 4]);
    return ReadInnerExtensions(b, extensionsAt, next, sizeBytes, header);
}

}  // namespace kavrel::lha::detail
