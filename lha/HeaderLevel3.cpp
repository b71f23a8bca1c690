// Level 3: like level 2 with four-byte sizes: the first field is the word size (4),
// the total header size sits at offset 24 and the extended headers end in four-byte
// next sizes.
//
//  0 word size[2]=4  2 method[5]  7 packed[4]  11 original[4]  15 time_t[4]  19 reserved
//  20 level  21 crc[2]  23 os  24 total[4]  28 first ext size[4]  32 extended headers
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha::detail {

HeaderStatus ReadInnerExtensions(std::vector<std::uint8_t>& b, std::size_t at, std::size_t next, int sizeBytes,
                                 EntryHeader& header);

HeaderStatus ReadLevel3(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header) {
    constexpr std::size_t kMaxHeader = 1 << 20;
    if (Le16(first) != 4) return HeaderStatus::Malformed;
    std::uint8_t fixed[32];
    if (file.Size() - offset < 32 || !file.ReadAt(offset, fixed, 32)) return HeaderStatus::Truncated;
    const std::uint32_t total = Le32(&fixed[24]);
    if (total < 32 || total > kMaxHeader) return HeaderStatus::Malformed;
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
    return ReadInnerExtensions(b, 32, Le32(&b[28]), 4, header);
}

}  // namespace kavrel::lha::detail
