// Level 3: like level 2 with four-byte sizes: the first field is the word size (4),
// the total header size sits at offset 24 and the extended headers end in four-byte
// next sizes.
//
//  0 word size[2]=4  2 method[5]  7 packed[4]  11 original[4]  15 time_t[4]  19 reserved
//  20 level  21 crc[2]  23 os  24 total[4]  28 first ext size[4]  32 extended headers
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha::detail {

HeaderStatus ReadLongHeader(RandomAccess& file, std::uint64_t offset, std::size_t total, std::size_t extensionsAt,
                            int sizeBytes, EntryHeader& header);

HeaderStatus ReadLevel3(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header) {
    constexpr std::size_t kMaxHeader = 1 << 20;
    if (Le16(first) != 4) return HeaderStatus::Malformed;
    std::uint8_t fixed[32];
    if (file.Size() - offset < 32 || !file.ReadAt(offset, fixed, 32)) return HeaderStatus::Truncated;
    const std::uint32_t total = Le32(&fixed[24]);
    if (total < 32 || total > kMaxHeader) return HeaderStatus::Malformed;
    return ReadLongHeader(file, offset, total, 32, 4, header);
}

}  // namespace kavrel::lha::detail
