// What a parser hands to the block coder: literals and matches of the static-Huffman
// LZH methods, and the limits every reader of those methods relies on.
#pragma once

#include <cstdint>

namespace kavrel::lha::encoder {

constexpr int kNC = 510;           // 256 literals and the match lengths 3..256
constexpr int kNT = 19;            // code-length codes of the literal/length tree
constexpr int kMaxNP = 17;         // position codes of -lh7- (distances up to 64 KiB)
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kMaxBlockSymbols = 65535;  // the block's 16-bit symbol count

// A literal (code < 256) or a match (code 253 + length, distance - 1).
struct Symbol {
    std::uint16_t code;
    std::uint16_t distanceMinus1;
};

inline Symbol Literal(std::uint8_t byte) { return Symbol{byte, 0}; }
inline Symbol Match(int length, std::uint32_t distance) {
    return Symbol{static_cast<std::uint16_t>(253 + length), static_cast<std::uint16_t>(distance - 1)};
}

// The position code of a distance: the bit length of distance - 1.
inline int PositionCode(std::uint32_t distanceMinus1) {
    return distanceMinus1 ? 32 - __builtin_clz(distanceMinus1) : 0;
}

// Symbol frequencies of a run of symbols.
struct Histogram {
    std::uint32_t c[kNC] = {};
    std::uint32_t p[kMaxNP] = {};

    void Add(const Symbol& s) {
        ++c[s.code];
        if (s.code >= 256) ++p[PositionCode(s.distanceMinus1)];
    }
    void Add(const Histogram& o) {
        for (int i = 0; i < kNC; ++i) c[i] += o.c[i];
        for (int i = 0; i < kMaxNP; ++i) p[i] += o.p[i];
    }
};

}  // namespace kavrel::lha::encoder
