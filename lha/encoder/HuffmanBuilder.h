// Code lengths and canonical codes for the static-Huffman LZH methods. Every reader
// builds its tables from lengths alone, in canonical order (shorter codes first, then
// by symbol), and some refuse incomplete codes: so whenever two or more symbols are
// used the code is complete, and no code is longer than the limit.
#pragma once

#include <cstdint>

namespace kavrel::lha::encoder {

constexpr int kMaxCodeBits = 16;

// Lengths (0 = unused) for `count` symbols of frequencies `freq`, none above
// `maxLength`. Returns how many symbols are used; with only one, its length stays 0 and
// the caller writes the block's one-symbol form.
int BuildCodeLengths(const std::uint32_t* freq, int count, int maxLength, std::uint8_t* lengths);

// Canonical codes (right-aligned, `lengths[i]` bits) for complete or incomplete lengths.
void MakeCanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes);

}  // namespace kavrel::lha::encoder
