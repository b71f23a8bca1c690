// CRC-16 of LHA archives (the "ARC" CRC: polynomial 0x8005 bit-reflected, initial 0),
// used for each entry's data and for the header CRCs of levels 2 and 3.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavrel::lha {

// Carry-less multiplication where the processor has it, the tables elsewhere.
std::uint16_t UpdateCrc16(std::uint16_t crc, const void* data, std::size_t size);
// The tables alone (sliced by sixteen): any processor; what the tests compare with.
std::uint16_t UpdateCrc16Sliced(std::uint16_t crc, const void* data, std::size_t size);

inline std::uint16_t Crc16(const void* data, std::size_t size) { return UpdateCrc16(0, data, size); }

}  // namespace kavrel::lha
