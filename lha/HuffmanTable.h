// Canonical Huffman decoding table of the static-Huffman LZH methods (-lh4- to -lh7-):
// codes of at most 16 bits, a primary table indexed by the next `primaryBits` bits and
// second-level tables for the longer codes, so one symbol costs one or two lookups.
#pragma once

#include <cstdint>
#include <vector>

#include "lha/BitReader.h"

namespace kavrel::lha {

class HuffmanTable {
public:
    static constexpr std::uint32_t kInvalid = 0xFFFF;
    static constexpr int kMaxCodeLength = 16;

    HuffmanTable(int maxSymbols, int primaryBits);

    // Code lengths (0 = unused) in symbol order. False when the lengths are longer than
    // 16 or over-subscribed. Incomplete codes are accepted; their holes decode as kInvalid.
    bool Build(const std::uint8_t* lengths, int count);
    // Every code is this one symbol, of length 0 (the "one symbol only" form of a block).
    void BuildSingle(std::uint32_t symbol);

    // Needs at least 16 bits ready in the reader. Returns the symbol or kInvalid.
    std::uint32_t Decode(BitReader& reader) const {
        const std::uint64_t w = reader.Window();
        std::uint32_t e = entries_[static_cast<std::size_t>(w >> (64 - primaryBits_))];
        if (e & kLink) {
            e = entries_[(e & 0xFFFF) + static_cast<std::size_t>((w >> 48) & subMask_)];
        }
        reader.Skip(static_cast<int>(e >> 16) & 0x1F);
        return e & 0xFFFF;
    }

    // For inlined decoding (DecoderStatic.cpp): entry = symbol | length << 16, or a link
    // (kLink | offset of a second-level table indexed by the next 16-primaryBits bits).
    static constexpr std::uint32_t kLink = 0x80000000u;
    const std::uint32_t* Entries() const { return entries_.data(); }
    int PrimaryBits() const { return primaryBits_; }
    std::uint32_t SubMask() const { return subMask_; }

private:
    int maxSymbols_;
    int primaryBits_;
    std::uint32_t subMask_;
    std::vector<std::uint32_t> entries_;  // symbol | length << 16, or offset | kLink
};

}  // namespace kavrel::lha
