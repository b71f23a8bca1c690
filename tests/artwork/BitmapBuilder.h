// Builds .bmp file bytes for the artwork tests, with every header field under the
// test's control (including the false ones), and reads pixels back from a loaded block.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "artwork/BitmapFile.h"
#include "artwork/BitmapRle.h"

namespace kavrel::test {

struct BitmapShape {
    std::int32_t width = 4;
    std::int32_t height = 2;  // negative: rows stored top-down
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;      // bytes written for the info header (>= 40 or 12)
    std::uint32_t clrUsed = 0;          // as written into the header
    std::int64_t tableEntries = -1;     // entries written; -1: what the header implies
    std::uint32_t sizeImage = 0;        // as written into the header
    bool zeroOffBits = false;           // bfOffBits 0
    std::int64_t offBits = -1;          // explicit bfOffBits; -1: computed
    std::vector<std::uint32_t> masks;   // written after a 40-byte header / inside a longer one
    std::size_t gap = 0;                // unused bytes between table and pixels
    std::size_t truncate = 0;           // bytes cut from the end of the file
    // RLE8/RLE4 files: the pixel area as written (see Rle); empty: `pixel` run-length
    // encoded row by row (EncodeRle).
    std::string rle;
    // Raw pixel value at (x, y), y counted from the top: a colour index for 1/4/8 bits,
    // 0xRRGGBB for 24 bits, the raw word for 16 and 32 bits.
    std::function<std::uint32_t(int x, int y)> pixel = [](int x, int y) {
        return static_cast<std::uint32_t>(x * 7 + y * 13);
    };
    // Colour-table entry i as 0xRRGGBB.
    std::function<std::uint32_t(int i)> colour = [](int i) {
        return static_cast<std::uint32_t>(i * 0x010203);
    };
};

// Through replace(), which checks the bounds: GCC's -O3 flow analysis cannot see that
// the string is long enough and warns about indexed stores.
inline void PutU16(std::string& s, std::size_t at, std::uint32_t v) {
    const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    s.replace(at, 2, bytes, 2);
}
inline void PutU32(std::string& s, std::size_t at, std::uint32_t v) {
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    s.replace(at, 4, bytes, 4);
}

inline std::uint32_t RowBytes(std::int32_t width, std::uint16_t bitCount) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(bitCount) * width + 31) / 32 * 4);
}

// Writes one pixel value into a row.
inline void PutPixel(std::uint8_t* row, int x, std::uint16_t bitCount, std::uint32_t v) {
    switch (bitCount) {
    case 1:
    case 4: {
        const int perByte = 8 / bitCount;
        const int shift = (perByte - 1 - x % perByte) * bitCount;
        const std::uint8_t mask = static_cast<std::uint8_t>(((1 << bitCount) - 1) << shift);
        row[x / perByte] = static_cast<std::uint8_t>((row[x / perByte] & ~mask) |
                                                     ((v << shift) & mask));
        break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(v); break;
    case 16:
        row[2 * x] = static_cast<std::uint8_t>(v);
        row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<std::uint8_t>(v);  // blue
        row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
        break;
    case 32:
        for (int i = 0; i < 4; ++i) row[4 * x + i] = static_cast<std::uint8_t>(v >> (8 * i));
        break;
    default: break;
    }
}

// Reads one pixel value back (same meaning as BitmapShape::pixel, masked to the depth).
inline std::uint32_t GetPixel(const std::uint8_t* row, int x, std::uint16_t bitCount) {
    switch (bitCount) {
    case 1:
    case 4: {
        const int perByte = 8 / bitCount;
        const int shift = (perByte - 1 - x % perByte) * bitCount;
        return (row[x / perByte] >> shift) & ((1u << bitCount) - 1);
    }
    case 8: return row[x];
    case 16: return static_cast<std::uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
    case 24: return static_cast<std::uint32_t>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    case 32:
        return static_cast<std::uint32_t>(row[4 * x]) | static_cast<std::uint32_t>(row[4 * x + 1]) << 8 |
               static_cast<std::uint32_t>(row[4 * x + 2]) << 16 |
               static_cast<std::uint32_t>(row[4 * x + 3]) << 24;
    default: return 0;
    }
}

inline std::uint32_t MaskToDepth(std::uint32_t v, std::uint16_t bitCount) {
    return bitCount >= 32 ? v : v & ((1u << bitCount) - 1);
}

// RLE commands spelled out one by one, for files that a test wants exactly so.
class Rle {
public:
    // `count` pixels of one index (RLE4: `value` holds two, alternating high and low).
    Rle& Run(int count, int value) { return Bytes({count, value}); }
    // An absolute run of colour indices, padded to a whole word unless `pad` is false.
    Rle& Absolute(std::initializer_list<int> indices, int bitCount, bool pad = true) {
        std::vector<int> v(indices);
        return Absolute(v, bitCount, pad);
    }
    Rle& Absolute(const std::vector<int>& indices, int bitCount, bool pad = true) {
        Bytes({0, static_cast<int>(indices.size())});
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (bitCount == 8) {
                Bytes({indices[i]});
                ++bytes;
            } else if (i % 2 == 0) {
                const int low = i + 1 < indices.size() ? indices[i + 1] : 0;
                Bytes({indices[i] << 4 | low});
                ++bytes;
            }
        }
        if (pad && bytes % 2 != 0) Bytes({0});
        return *this;
    }
    Rle& EndOfLine() { return Bytes({0, 0}); }
    Rle& EndOfBitmap() { return Bytes({0, 1}); }
    Rle& Delta(int dx, int dy) { return Bytes({0, 2, dx, dy}); }
    Rle& Bytes(std::initializer_list<int> bytes) {
        for (int b : bytes) data += static_cast<char>(b);
        return *this;
    }
    std::string data;
};

// The shape's pixels run-length encoded, bottom row first, as a plain encoder writes
// them: runs of equal pixels (at most 255), the pixels between them as absolute runs
// (when there are 3 or more) or as runs of one; every row closed by an end of line, the
// last by the end of the bitmap.
inline std::string EncodeRle(const BitmapShape& shape) {
    const int bits = shape.bitCount;
    const int mask = (1 << bits) - 1;
    Rle out;
    for (int y = shape.height - 1; y >= 0; --y) {
        std::vector<int> row;
        for (int x = 0; x < shape.width; ++x) row.push_back(static_cast<int>(shape.pixel(x, y)) & mask);
        std::vector<int> literal;
        const auto flush = [&] {
            for (std::size_t at = 0; at < literal.size(); at += 255) {
                const std::size_t n = std::min<std::size_t>(255, literal.size() - at);
                if (n >= 3) {
                    out.Absolute(std::vector<int>(literal.begin() + at, literal.begin() + at + n), bits);
                } else {
                    for (std::size_t i = 0; i < n; ++i) out.Run(1, bits == 8 ? literal[at + i] : literal[at + i] << 4);
                }
            }
            literal.clear();
        };
        for (std::size_t x = 0; x < row.size();) {
            std::size_t same = 1;
            while (x + same < row.size() && row[x + same] == row[x] && same < 255) ++same;
            if (same >= 4) {
                flush();
                out.Run(static_cast<int>(same), bits == 8 ? row[x] : row[x] << 4 | row[x]);
            } else {
                literal.insert(literal.end(), row.begin() + x, row.begin() + x + same);
            }
            x += same;
        }
        flush();
        if (y > 0) out.EndOfLine();
    }
    out.EndOfBitmap();
    return out.data;
}

inline std::string BuildBitmap(const BitmapShape& shape) {
    const std::int64_t fullTable = shape.bitCount <= 8 ? (1 << shape.bitCount) : 0;
    const std::int64_t entries = shape.tableEntries >= 0 ? shape.tableEntries
                                 : shape.clrUsed != 0 ? shape.clrUsed
                                                     : fullTable;
    const bool masksAfter = !shape.masks.empty() && shape.headerSize == 40;
    const std::size_t headerBytes = std::max<std::uint32_t>(shape.headerSize, 40);
    const std::size_t tablePos = 14 + headerBytes + (masksAfter ? 4 * shape.masks.size() : 0);
    const std::size_t bitsPos = tablePos + 4 * static_cast<std::size_t>(entries) + shape.gap;
    const std::uint32_t rowBytes = RowBytes(shape.width, shape.bitCount);
    const std::int32_t rows = shape.height < 0 ? -shape.height : shape.height;

    const bool rle = (shape.compression == kCompressionRle8 || shape.compression == kCompressionRle4) &&
                     shape.height > 0;
    const std::string runs = !rle ? std::string() : !shape.rle.empty() ? shape.rle : EncodeRle(shape);
    std::string file(bitsPos + (rle ? runs.size() : static_cast<std::size_t>(rowBytes) * rows), '\0');
    file[0] = 'B';
    file[1] = 'M';
    PutU32(file, 2, static_cast<std::uint32_t>(file.size()));
    const std::uint32_t offBits = shape.zeroOffBits ? 0
                                  : shape.offBits >= 0 ? static_cast<std::uint32_t>(shape.offBits)
                                                      : static_cast<std::uint32_t>(bitsPos);
    PutU32(file, 10, offBits);
    PutU32(file, 14, shape.headerSize);
    PutU32(file, 18, static_cast<std::uint32_t>(shape.width));
    PutU32(file, 22, static_cast<std::uint32_t>(shape.height));
    PutU16(file, 26, 1);
    PutU16(file, 28, shape.bitCount);
    PutU32(file, 30, shape.compression);
    PutU32(file, 34, shape.sizeImage);
    PutU32(file, 46, shape.clrUsed);
    for (std::size_t i = 0; i < shape.masks.size(); ++i) PutU32(file, 54 + 4 * i, shape.masks[i]);
    for (std::int64_t i = 0; i < entries; ++i) {
        const std::uint32_t c = shape.colour(static_cast<int>(i));
        PutU32(file, tablePos + 4 * static_cast<std::size_t>(i), c & 0xFFFFFF);  // B, G, R, 0
    }
    file.replace(bitsPos, runs.size(), runs);
    for (std::int32_t y = 0; y < rows && !rle; ++y) {
        // bottom-up files store the bottom row first
        const std::int32_t stored = shape.height < 0 ? y : rows - 1 - y;
        auto* row = reinterpret_cast<std::uint8_t*>(file.data()) + bitsPos +
                    static_cast<std::size_t>(stored) * rowBytes;
        for (int x = 0; x < shape.width; ++x) PutPixel(row, x, shape.bitCount, shape.pixel(x, y));
    }
    file.resize(file.size() - std::min(shape.truncate, file.size()));
    return file;
}

// Pixel (x, y), y from the top, of a loaded (bottom-up) block.
inline std::uint32_t LoadedPixel(const LoadedBitmap& bmp, int x, int y) {
    const std::uint32_t rowBytes = RowBytes(bmp.Width(), bmp.BitCount());
    const std::size_t row = static_cast<std::size_t>(bmp.Height() - 1 - y);
    return GetPixel(bmp.block.data() + bmp.bitsOffset + row * rowBytes, x, bmp.BitCount());
}

}  // namespace kavrel::test
