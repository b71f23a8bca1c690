// Cuts the symbol stream into blocks. Symbols come in groups of at most sixteen segments
// (65520 symbols, under the block's 16-bit count); a group is written as one block or
// split in halves, recursively, wherever separate codes cost fewer bits than one.
#pragma once

#include <cstddef>
#include <vector>

#include "lha/encoder/BitWriter.h"
#include "lha/encoder/BlockCoder.h"

namespace kavrel::lha::encoder {

class BlockSplitter {
public:
    static constexpr std::size_t kSegment = 4095;
    static constexpr std::size_t kGroup = 16 * kSegment;
    static_assert(kGroup <= kMaxBlockSymbols);

    explicit BlockSplitter(const BlockCoder& coder) : coder_(coder) {}

    // The bits that Write writes for `symbols`.
    std::uint64_t Cost(const std::vector<Symbol>& symbols);
    // Writes all of `symbols` in blocks.
    void Write(const std::vector<Symbol>& symbols, BitWriter& out);

private:
    struct Segment {
        std::size_t begin;
        std::size_t count;
        Histogram histogram;
    };
    // Plans one group: its segments, and in `starts_` the first segment of each block
    // and then the end. Returns its bits.
    std::uint64_t PlanGroup(const Symbol* symbols, std::size_t count);
    // Cheapest cover of segments [a, b]; appends the first segment of each block to `starts`.
    std::uint64_t Split(int a, int b, std::vector<int>& starts);

    const BlockCoder& coder_;
    std::vector<Segment> segments_;
    std::vector<int> starts_;
};

}  // namespace kavrel::lha::encoder
