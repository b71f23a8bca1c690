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
        const std::uint32_t e = LookUp(entries_.data(), primaryBits_, reader.Window());
        reader.Skip(CodeLength(e));
        return Symbol(e);
    }

    // An entry is symbol << 16 | code length, or a link (offset << 16 | kLink: the offset
    // of a second-level table indexed by the next 16-primaryBits bits). The length sits in
    // the low bits so that `bits << (entry & 63)` is one shift by the entry itself, on the
    // path from one lookup to the next. The decoders' inner loops keep the bits in locals
    // and call LookUp on Entries() themselves; with a constant primaryBits it compiles to
    // the same code as a lookup written out by hand.
    static constexpr std::uint32_t kLink = 0x8000u;
    // The entry of the code at the top of `bits` (the next bits of the stream, first bit
    // in bit 63), through the link when the code is longer than primaryBits.
    static std::uint32_t LookUp(const std::uint32_t* entries, int primaryBits, std::uint64_t bits) {
        std::uint32_t e = entries[static_cast<std::size_t>(bits >> (64 - primaryBits))];
        if (e & kLink) {
            const std::uint32_t subMask = (1u << (kMaxCodeLength - primaryBits)) - 1;
            e = entries[(e >> 16) + static_cast<std::size_t>((bits >> (64 - kMaxCodeLength)) & subMask)];
        }
        return e;
    }
    static int CodeLength(std::uint32_t entry) { return static_cast<int>(entry & 63); }
    static std::uint32_t Symbol(std::uint32_t entry) { return entry >> 16; }
    const std::uint32_t* Entries() const { return entries_.data(); }

private:
    static std::uint32_t Leaf(std::uint32_t symbol, int length) {
        return symbol << 16 | static_cast<std::uint32_t>(length);
    }

    int maxSymbols_;
    int primaryBits_;
    std::vector<std::uint32_t> entries_;
    std::vector<std::uint16_t> order_;  // Build's scratch: the symbols in code order
};

}  // namespace kavrel::lha
