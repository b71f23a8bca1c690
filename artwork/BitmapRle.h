// Run-length-encoded artwork (BI_RLE8, BI_RLE4): decoded by the loader into the plain
// bottom-up rows that the painter hands to GDI, so that a vendor can ship small pictures
// on a floppy while the painter draws only what the loader has checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Files.h"

namespace kavrel {

inline constexpr std::uint32_t kCompressionRle8 = 1;  // BI_RLE8, 8-bit pixels
inline constexpr std::uint32_t kCompressionRle4 = 2;  // BI_RLE4, 4-bit pixels

// The picture the runs are drawn into: its depth (4 or 8), width, rows and the size of
// one padded row, all checked by the loader beforehand.
struct RleTarget {
    std::uint16_t bitCount = 8;
    std::uint32_t width = 0;
    std::uint32_t rows = 0;
    std::uint32_t rowBytes = 0;
};

// Reads the runs from the file's current position on, up to the end of the bitmap (or
// the end of the file: the header's compressed size is not trusted), and appends the
// picture to `block` at `offset`: rows * rowBytes bytes, bottom row first. Pixels that
// no run sets (skipped by a delta, the rest of a row after an end of line, the rest of
// the picture after the end of the bitmap) are colour index 0. Runs are clipped at the
// row's end, and a delta that leaves the picture at its top ends it.
//
// True when the runs reached the end of the bitmap or closed the last row; false when
// the file ends before that (the picture is then not drawn). `block` grows row by row as
// the runs reach them, so a file that ends early costs no more than it delivered.
bool DecodeRleBits(InputFile& file, const RleTarget& target, std::vector<std::uint8_t>& block,
                   std::size_t offset);

}  // namespace kavrel
