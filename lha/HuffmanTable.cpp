#include "lha/HuffmanTable.h"

#include <algorithm>

namespace kavrel::lha {

HuffmanTable::HuffmanTable(int maxSymbols, int primaryBits)
    : maxSymbols_(maxSymbols),
      primaryBits_(primaryBits),
      entries_((std::size_t{1} << primaryBits) +
               static_cast<std::size_t>(maxSymbols) * (std::size_t{1} << (kMaxCodeLength - primaryBits))) {}

void HuffmanTable::BuildSingle(std::uint32_t symbol) {
    std::fill(entries_.begin(), entries_.begin() + (std::size_t{1} << primaryBits_), symbol << 16);
}

bool HuffmanTable::Build(const std::uint8_t* lengths, int count) {
    if (count > maxSymbols_) return false;
    int lengthCount[kMaxCodeLength + 1] = {};
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > kMaxCodeLength) return false;
        ++lengthCount[lengths[i]];
    }
    // First code of each length, left-aligned in 16 bits; refuse over-subscription.
    std::uint32_t next[kMaxCodeLength + 2] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        next[len] = code;
        code += static_cast<std::uint32_t>(lengthCount[len]) << (kMaxCodeLength - len);
        if (code > (1u << kMaxCodeLength)) return false;
    }
    const std::size_t primarySize = std::size_t{1} << primaryBits_;
    const int subBits = kMaxCodeLength - primaryBits_;
    const std::uint32_t invalid = kInvalid << 16;  // length 0: consumes nothing, decoders refuse it
    std::fill(entries_.begin(), entries_.begin() + primarySize, invalid);
    std::size_t used = primarySize;
    for (int sym = 0; sym < count; ++sym) {
        const int len = lengths[sym];
        if (len == 0) continue;
        const std::uint32_t c = next[len];  // 16-bit left-aligned code
        next[len] += 1u << (kMaxCodeLength - len);
        const std::uint32_t leaf = static_cast<std::uint32_t>(sym) << 16 | static_cast<std::uint32_t>(len);
        if (len <= primaryBits_) {
            const std::size_t first = c >> subBits;
            const std::size_t n = std::size_t{1} << (primaryBits_ - len);
            std::fill(entries_.begin() + first, entries_.begin() + first + n, leaf);
        } else {
            std::uint32_t& slot = entries_[c >> subBits];
            if (!(slot & kLink)) {
                slot = static_cast<std::uint32_t>(used) << 16 | kLink;
                std::fill(entries_.begin() + used, entries_.begin() + used + (std::size_t{1} << subBits), invalid);
                used += std::size_t{1} << subBits;
            }
            const std::size_t base = slot >> 16;
            const std::size_t first = c & ((1u << subBits) - 1);
            const std::size_t n = std::size_t{1} << (kMaxCodeLength - len);
            std::fill(entries_.begin() + base + first, entries_.begin() + base + first + n, leaf);
        }
    }
    return true;
}

}  // namespace kavrel::lha
