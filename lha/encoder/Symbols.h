// What a parser hands to the block coder: literals and matches of the static-Huffman
// LZH methods (their limits are in lha/Format.h).
#pragma once

#include <cstdint>

#include "lha/Format.h"

namespace kavrel::lha::encoder {

// A literal (code < 256) or a match (code kMatchOffset + length, distance - 1).
struct Symbol {
    std::uint16_t code;
    std::uint16_t distanceMinus1;
};

inline Symbol Literal(std::uint8_t byte) { return Symbol{byte, 0}; }
inline Symbol Match(int length, std::uint32_t distance) {
    return Symbol{static_cast<std::uint16_t>(kMatchOffset + length), static_cast<std::uint16_t>(distance - 1)};
}

// The position code of a distance: the bit length of distance - 1.
inline int PositionCode(std::uint32_t distanceMinus1) {
    return distanceMinus1 ? 32 - __builtin_clz(distanceMinus1) : 0;
}

// Symbol frequencies of a run of symbols.
struct Histogram {
    std::uint32_t c[kNC] = {};
    std::uint32_t p[kMaxEncodedNP] = {};

    void Add(const Symbol& s) {
        ++c[s.code];
        if (s.code >= 256) ++p[PositionCode(s.distanceMinus1)];
    }
    void Add(const Histogram& o) {
        for (int i = 0; i < kNC; ++i) c[i] += o.c[i];
        for (int i = 0; i < kMaxEncodedNP; ++i) p[i] += o.p[i];
    }
};

}  // namespace kavrel::lha::encoder
