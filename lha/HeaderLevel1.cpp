// Level 1: a level 0 base header (checksummed, the name field usually holding only the
// file name) with an OS byte and the size of the first extended header at its end.
// Extended headers follow it (type byte, data, 2-byte size of the next one) and count
// in the "packed" size field, which is here the distance to the next header.
//
//  ... 21 name length N  22 name[N]  22+N crc[2]  24+N os  (size-2) next ext size[2]
#include <cstring>
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha::detail {

HeaderStatus ReadBaseHeader(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first,
                            std::vector<std::uint8_t>& bytes);

HeaderStatus ReadLevel1(RandomAccess& file, std::uint64_t offset, const std::uint8_t* first, EntryHeader& header) {
    std::vector<std::uint8_t> b;
    HeaderStatus st = ReadBaseHeader(file, offset, first, b);
    if (st != HeaderStatus::Ok) return st;
    const std::size_t n = b[21];
    if (b.size() < 27 + n) return HeaderStatus::Malformed;
    const std::uint64_t skip = Le32(&b[7]);
    header.originalSize = Le32(&b[11]);
    header.dosTime = Le32(&b[15]);
    header.crc = Le16(&b[22 + n]);
    header.hasCrc = true;
    header.osId = b[24 + n];
    // LHark writes its own method, incompatible with -lh7-, under that name; it marks
    // its headers with a blank as OS. Name it as lhasa does, so that it is refused.
    if (header.osId == ' ' && header.method == Method::Lh7) {
        std::memcpy(header.methodId, "-lk7-", 5);
        header.method = Method::Unknown;
    }
    NameFields names;
    names.name.assign(reinterpret_cast<const char*>(&b[22]), n);

    std::uint64_t at = offset + b.size();
    std::uint64_t extTotal = 0;
    std::size_t next = Le16(&b[b.size() - 2]);
    std::vector<std::uint8_t> ext;
    const std::uint64_t fileSize = file.Size();
    while (next != 0) {
        if (next < 3) return HeaderStatus::Malformed;
        if (extTotal + next > skip) return HeaderStatus::Malformed;
        if (at > fileSize || fileSize - at < next) return HeaderStatus::Truncated;
        ext.resize(next);
        if (!file.ReadAt(at, ext.data(), next)) return HeaderStatus::Truncated;
        if (!ApplyExtendedHeader(header, ext[0], ext.data() + 1, next - 3, names)) return HeaderStatus::Malformed;
        at += next;
        extTotal += next;
        next = Le16(&ext[next - 2]);
    }
    if (header.compressedSize == 0) header.compressedSize = skip - extTotal;  // 0x42 may have set it
    header.dataOffset = at;
    FinishHeader(header, names);
    return HeaderStatus::Ok;
}

}  // namespace kavrel::lha::detail
