// RLE files built command by command, with the picture each must give (top row first,
// one hex digit per colour index): what the loader's tests and the Win32 comparison with
// GDI's own decoding share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "artwork/BitmapBuilder.h"
#include "artwork/BitmapRle.h"

namespace kavrel::test {

// An RLE8 or RLE4 file of the given size whose pixel area is `runs` (empty: the shape's
// pixels encoded by EncodeRle).
inline BitmapShape RleShape(std::uint16_t bits, std::int32_t w, std::int32_t h, std::string runs = {}) {
    BitmapShape s;
    s.bitCount = bits;
    s.compression = bits == 8 ? kCompressionRle8 : kCompressionRle4;
    s.width = w;
    s.height = h;
    s.rle = std::move(runs);
    return s;
}

// A plain (uncompressed) file of a picture given top row first, one hex digit a pixel.
inline BitmapShape PictureShape(std::uint16_t bits, const std::vector<std::string>& picture) {
    BitmapShape s;
    s.bitCount = bits;
    s.width = static_cast<std::int32_t>(picture.front().size());
    s.height = static_cast<std::int32_t>(picture.size());
    s.pixel = [picture](int x, int y) {
        return static_cast<std::uint32_t>(std::stoul(picture[y].substr(x, 1), nullptr, 16));
    };
    return s;
}

struct RleCommandCase {
    const char* name;
    std::uint16_t bits;
    std::int32_t width, height;
    Rle runs;
    std::vector<std::string> picture;  // top row first
};

inline std::vector<RleCommandCase> RleCommandCases() {
    return {
        {"RLE8 runs, bottom row first", 8, 4, 2,
         Rle().Run(2, 1).Run(2, 2).EndOfLine().Run(4, 3).EndOfBitmap(),
         {"3333", "1122"}},
        {"RLE8 absolute run of 3, padded", 8, 5, 1,
         Rle().Absolute({4, 5, 6}, 8).Run(2, 7).EndOfBitmap(), {"45677"}},
        {"RLE8 absolute run of 4, no padding", 8, 5, 1,
         Rle().Absolute({4, 5, 6, 8}, 8).Run(1, 7).EndOfBitmap(), {"45687"}},
        {"RLE4 runs alternate the two indices", 4, 5, 1,
         Rle().Run(5, 0x12).EndOfBitmap(), {"12121"}},
        {"RLE4 absolute run of 3 (two bytes, no padding)", 4, 4, 1,
         Rle().Absolute({9, 10, 11}, 4).Run(1, 0xc0).EndOfBitmap(), {"9abc"}},
        {"RLE4 absolute run of 5 (three bytes, padded)", 4, 6, 1,
         Rle().Absolute({1, 2, 3, 4, 5}, 4).Run(1, 0x60).EndOfBitmap(), {"123456"}},
        {"RLE4 run after an odd start", 4, 6, 1,
         Rle().Run(1, 0x70).Run(4, 0x89).Run(1, 0xa0).EndOfBitmap(), {"78989a"}},
        {"end of line leaves the rest of the row 0", 8, 4, 2,
         Rle().Run(1, 5).EndOfLine().Run(4, 6).EndOfBitmap(), {"6666", "5000"}},
        {"end of bitmap leaves the rest of the picture 0", 8, 3, 3,
         Rle().Run(3, 1).EndOfLine().Run(1, 2).EndOfBitmap(), {"000", "200", "111"}},
        {"delta skips pixels to the right and rows up; they stay 0", 8, 5, 3,
         Rle().Run(1, 1).Delta(2, 1).Run(2, 2).EndOfLine().Run(1, 3).EndOfBitmap(),
         {"30000", "00022", "10000"}},
        {"delta of nothing", 8, 2, 1, Rle().Run(1, 1).Delta(0, 0).Run(1, 2).EndOfBitmap(), {"12"}},
        {"RLE4 delta to an odd column", 4, 4, 1,
         Rle().Delta(1, 0).Run(2, 0xde).Delta(0, 0).Run(1, 0xf0).EndOfBitmap(), {"0def"}},
        {"a run past the row's end is clipped, not wrapped", 8, 3, 2,
         Rle().Run(200, 4).EndOfLine().Run(1, 5).EndOfBitmap(), {"500", "444"}},
        {"an absolute run past the row's end is clipped, its padding still read", 8, 2, 2,
         Rle().Absolute({1, 2, 3}, 8).EndOfLine().Run(2, 6).EndOfBitmap(), {"66", "12"}},
        {"RLE4 run past the row's end", 4, 3, 1, Rle().Run(255, 0x3c).EndOfBitmap(), {"3c3"}},
        {"clipped runs on rows without padding", 8, 4, 3,
         Rle().Run(9, 4).EndOfLine().Delta(1, 0).Run(7, 5).EndOfLine().Absolute({1, 2, 3, 4, 5}, 8).EndOfBitmap(),
         {"1234", "0555", "4444"}},
        {"RLE4 clipped runs on rows without padding", 4, 8, 2,
         Rle().Run(9, 0x45).EndOfLine().Delta(1, 0).Run(7, 0x66).EndOfBitmap(),
         {"06666666", "45454545"}},
        {"delta past the right edge: the rest of the row is dropped", 8, 3, 2,
         Rle().Delta(250, 0).Run(3, 7).EndOfLine().Run(3, 8).EndOfBitmap(), {"888", "000"}},
        {"repeated deltas past the right edge", 8, 2, 2,
         Rle().Delta(255, 0).Delta(255, 0).Delta(255, 0).Run(9, 7).EndOfLine().Run(1, 1).EndOfBitmap(),
         {"10", "00"}},
        {"delta past the top ends the picture", 8, 2, 2,
         Rle().Run(2, 1).Delta(0, 200).Run(2, 2), {"00", "11"}},
        {"the last row closed by an end of line, no end of bitmap", 8, 2, 2,
         Rle().Run(2, 1).EndOfLine().Run(2, 2).EndOfLine(), {"22", "11"}},
        {"anything after the end of the bitmap is ignored", 8, 2, 1,
         Rle().Run(1, 3).EndOfBitmap().Bytes({0, 2}), {"30"}},
    };
}

}  // namespace kavrel::test
