#include "lha/Crc16.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KAVREL_CRC16_CLMUL 1
#endif

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

#ifdef KAVREL_CRC16_CLMUL
// Carry-less multiplication folds 16-byte blocks: with the data as a polynomial (first
// bit highest), a block X followed by 128 more bits is X * x^128, which is congruent
// modulo the CRC polynomial to Xhigh * (x^192 mod P) + Xlow * (x^128 mod P), less than 128
// bits. Blocks are loaded little-endian, so the first bit is bit 0 (reflected); a
// reflected product comes out one bit short, hence the constants x^(n-1) mod P, each
// stored with the coefficient of x^d in bit 63-d. What is left at the end is 16 bytes
// with the same CRC as everything folded into them, which the tables finish.
constexpr std::uint64_t FoldConstant(int n) {
    std::uint32_t r = 1;  // x^n mod (x^16 + x^15 + x^2 + 1)
    for (int i = 0; i < n - 1; ++i) {
        r <<= 1;
        if (r & 0x10000) r ^= 0x18005;
    }
    std::uint64_t reflected = 0;
    for (int d = 0; d < 16; ++d) {
        if ((r >> d) & 1) reflected |= std::uint64_t{1} << (63 - d);
    }
    return reflected;
}

__attribute__((target("sse2,pclmul"))) inline __m128i Fold(__m128i x, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

__attribute__((target("sse2,pclmul"))) inline __m128i Load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// At least 64 bytes.
__attribute__((target("sse2,pclmul"))) std::uint16_t UpdateClmul(std::uint16_t crc, const std::uint8_t* p,
                                                                  std::size_t size) {
    // Four blocks in flight (64 bytes apart), then folded into one.
    const __m128i by512 = _mm_set_epi64x(static_cast<long long>(FoldConstant(512)),
                                         static_cast<long long>(FoldConstant(576)));
    const __m128i by128 = _mm_set_epi64x(static_cast<long long>(FoldConstant(128)),
                                         static_cast<long long>(FoldConstant(192)));
    __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(crc));
    __m128i x1 = Load(p + 16);
    __m128i x2 = Load(p + 32);
    __m128i x3 = Load(p + 48);
    p += 64;
    size -= 64;
    for (; size >= 64; p += 64, size -= 64) {
        x0 = _mm_xor_si128(Fold(x0, by512), Load(p));
        x1 = _mm_xor_si128(Fold(x1, by512), Load(p + 16));
        x2 = _mm_xor_si128(Fold(x2, by512), Load(p + 32));
        x3 = _mm_xor_si128(Fold(x3, by512), Load(p + 48));
    }
    __m128i x = _mm_xor_si128(Fold(x0, by128), x1);
    x = _mm_xor_si128(Fold(x, by128), x2);
    x = _mm_xor_si128(Fold(x, by128), x3);
    for (; size >= 16; p += 16, size -= 16) x = _mm_xor_si128(Fold(x, by128), Load(p));
    std::uint8_t rest[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x);
    return UpdateCrc16Sliced(UpdateCrc16Sliced(0, rest, 16), p, size);
}
#endif

}  // namespace

std::uint16_t UpdateCrc16Sliced(std::uint16_t crc, const void* data, std::size_t size) {
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

std::uint16_t UpdateCrc16(std::uint16_t crc, const void* data, std::size_t size) {
#ifdef KAVREL_CRC16_CLMUL
    if (size >= 64 && __builtin_cpu_supports("pclmul")) {
        return UpdateClmul(crc, static_cast<const std::uint8_t*>(data), size);
    }
#endif
    return UpdateCrc16Sliced(crc, data, size);
}

}  // namespace kavrel::lha
