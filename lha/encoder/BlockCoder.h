// One block of the static-Huffman methods: the symbol count, the three code-length
// tables (the pre-tree, the literal/length code, the position code) and the symbols.
// The same plan gives a block's exact size in bits (for block splitting and for the
// parsers' prices) and writes it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lha/encoder/BitWriter.h"
#include "lha/encoder/Symbols.h"

namespace kavrel::lha::encoder {

struct TreePlan {
    std::uint8_t length[kNC] = {};
    std::uint16_t code[kNC] = {};
    int used = 0;     // symbols with a nonzero frequency
    int single = -1;  // the only symbol when `used` < 2 (0 when none is used)
};

struct BlockPlan {
    TreePlan c;
    TreePlan t;
    TreePlan p;
    std::uint64_t bits = 0;  // the whole block, count and tables included
};

class BlockCoder {
public:
    // np: number of position codes (14 for -lh5-, 16 for -lh6-, 17 for -lh7-).
    explicit BlockCoder(int np);

    int PositionCodes() const { return np_; }
    // Builds the codes for a block with these frequencies and counts its bits.
    void Plan(const Histogram& h, BlockPlan& plan) const;
    std::uint64_t Cost(const Histogram& h) const;
    // Writes `count` (1..65535) symbols whose frequencies are `h` as one block.
    void Write(const Symbol* symbols, std::size_t count, const Histogram& h, BitWriter& out) const;

private:
    int np_;
    int pbits_;
};

}  // namespace kavrel::lha::encoder
