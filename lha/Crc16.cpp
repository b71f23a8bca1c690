#include "lha/Crc16.h"

#include <array>
#include <cstring>

namespace kavrel::lha {
namespace {

// Slicing by sixteen: table[k][b] is the CRC of byte b followed by k zero bytes.
struct Tables {
    std::array<std::array<std::uint16_t, 256>, 16> t{};
    constexpr Tables() {
        for (unsigned b = 0; b < 256; ++b) {
            std::uint16_t c = static_cast<std::uint16_t>(b);
            for (int i = 0; i < 8; ++i) c = static_cast<std::uint16_t>((c & 1) ? (c >> 1) ^ 0xA001 : c >> 1);
            t[0][b] = c;
        }
        for (unsigned b = 0; b < 256; ++b) {
            for (int k = 1; k < 16; ++k) {
                const std::uint16_t prev = t[k - 1][b];
                t[k][b] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
            }
        }
    }
};
constexpr Tables kTables;

}  // namespace

std::uint16_t UpdateCrc16(std::uint16_t crc, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    const auto& t = kTables.t;
    while (size >= 16) {
        const unsigned x = crc ^ (p[0] | (p[1] << 8));
        crc = static_cast<std::uint16_t>(t[15][x & 0xFF] ^ t[14][x >> 8] ^ t[13][p[2]] ^ t[12][p[3]] ^
                                         t[11][p[4]] ^ t[10][p[5]] ^ t[9][p[6]] ^ t[8][p[7]] ^ t[7][p[8]] ^
                                         t[6][p[9]] ^ t[5][p[10]] ^ t[4][p[11]] ^ t[3][p[12]] ^ t[2][p[13]] ^
                                         t[1][p[14]] ^ t[0][p[15]]);
        p += 16;
        size -= 16;
    }
    while (size >= 8) {
        const unsigned x = crc ^ (p[0] | (p[1] << 8));
        crc = static_cast<std::uint16_t>(t[7][x & 0xFF] ^ t[6][x >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^
                                         t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
        p += 8;
        size -= 8;
    }
    while (size--) crc = static_cast<std::uint16_t>((crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF]);
    return crc;
}

}  // namespace kavrel::lha
