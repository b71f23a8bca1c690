#include "lha/HuffmanTable.h"

#include <algorithm>

namespace kavrel::lha {

HuffmanTable::HuffmanTable(int maxSymbols, int primaryBits)
    : maxSymbols_(maxSymbols),
      primaryBits_(primaryBits),
      entries_((std::size_t{1} << primaryBits) +
               static_cast<std::size_t>(maxSymbols) * (std::size_t{1} << (kMaxCodeLength - primaryBits))),
      order_(static_cast<std::size_t>(maxSymbols)) {}

void HuffmanTable::BuildSingle(std::uint32_t symbol) {
    std::fill(entries_.begin(), entries_.begin() + (std::size_t{1} << primaryBits_), symbol << 16);
}

// The table is filled in the order of the codes, front to back. Canonical codes of one
// length follow each other in symbol order, shorter lengths first, so the codes up to
// primaryBits long cover the front of the primary table without gaps, and the longer
// ones follow, each primary slot that they start with linking to a second-level table
// of its own, the tables one after the other.
bool HuffmanTable::Build(const std::uint8_t* lengths, int count) {
    if (count > maxSymbols_) return false;
    int lengthCount[kMaxCodeLength + 1] = {};
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > kMaxCodeLength) return false;
        ++lengthCount[lengths[i]];
    }
    // Refuse over-subscription; `total` is how much of the 16-bit code space is used.
    std::uint32_t total = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        total += static_cast<std::uint32_t>(lengthCount[len]) << (kMaxCodeLength - len);
    }
    if (total > (1u << kMaxCodeLength)) return false;

    // The symbols in code order (a counting sort by length).
    int start[kMaxCodeLength + 2] = {};
    for (int len = 1; len <= kMaxCodeLength; ++len) start[len + 1] = start[len] + lengthCount[len];
    for (int i = 0; i < count; ++i) {
        if (lengths[i] != 0) order_[static_cast<std::size_t>(start[lengths[i]]++)] = static_cast<std::uint16_t>(i);
    }

    const std::size_t primarySize = std::size_t{1} << primaryBits_;
    const int subBits = kMaxCodeLength - primaryBits_;
    const std::uint32_t invalid = kInvalid << 16;  // length 0: consumes nothing, decoders refuse it
    std::uint32_t* const e = entries_.data();
    std::size_t at = 0;      // next primary slot
    std::size_t symbol = 0;  // next in order_
    for (int len = 1; len <= primaryBits_; ++len) {
        const std::size_t n = std::size_t{1} << (primaryBits_ - len);
        for (int k = 0; k < lengthCount[len]; ++k, at += n) {
            std::fill(e + at, e + at + n, Leaf(order_[symbol++], len));
        }
    }
    const std::size_t links = ((total + (1u << subBits) - 1) >> subBits) - at;
    for (std::size_t k = 0; k < links; ++k, ++at) {
        e[at] = static_cast<std::uint32_t>(primarySize + (k << subBits)) << 16 | kLink;
    }
    std::fill(e + at, e + primarySize, invalid);  // the rest of an incomplete code
    std::size_t sub = primarySize;
    for (int len = primaryBits_ + 1; len <= kMaxCodeLength; ++len) {
        const std::size_t n = std::size_t{1} << (kMaxCodeLength - len);
        for (int k = 0; k < lengthCount[len]; ++k, sub += n) {
            std::fill(e + sub, e + sub + n, Leaf(order_[symbol++], len));
        }
    }
    std::fill(e + sub, e + primarySize + (links << subBits), invalid);
    return true;
}

}  // namespace kavrel::lha
