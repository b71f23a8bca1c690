// Run-length-encoded artwork: RLE8 and RLE4 files are decoded into the plain bottom-up
// block the painter draws, with every run kept inside the picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "artwork/BitmapBuilder.h"
#include "artwork/BitmapFile.h"
#include "artwork/BitmapRle.h"
#include "artwork/RleCases.h"
#include "support/MemoryFiles.h"

namespace kavrel {
namespace {

using test::BitmapShape;
using test::BuildBitmap;
using test::Rle;
using test::RleShape;

int LoadBytes(const std::string& bytes, LoadedBitmap& out) {
    test::MemoryFiles platform;
    platform.AddFile("D:\\art\\pic.bmp", bytes);
    return LoadBitmapFile(platform, "D:\\art\\pic.bmp", out);
}

// The loaded picture, top row first, one hex digit per pixel (indices below 16).
std::vector<std::string> Picture(const LoadedBitmap& bmp) {
    std::vector<std::string> rows;
    for (int y = 0; y < bmp.Height(); ++y) {
        std::string row;
        for (int x = 0; x < bmp.Width(); ++x) {
            row += "0123456789abcdef"[test::LoadedPixel(bmp, x, y) & 15];
        }
        rows.push_back(row);
    }
    return rows;
}

// The same picture as a plain file (rows padded with zeros), loaded: what the decoded
// block must equal byte for byte, header included.
LoadedBitmap PlainEquivalent(std::uint16_t bits, const std::vector<std::string>& picture) {
    LoadedBitmap bmp;
    EXPECT_EQ(1, LoadBytes(BuildBitmap(test::PictureShape(bits, picture)), bmp));
    return bmp;
}

// --- whole pictures, as encoders write them ------------------------------------------------

TEST(RleBitmap, DecodesEncodedPicturesIntoPlainRows) {
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::int32_t width, height;
        std::function<std::uint32_t(int, int)> pixel;
    };
    const auto stripes = [](int x, int y) { return static_cast<std::uint32_t>((x / 5 + y) % 7); };
    const auto noise = [](int x, int y) { return static_cast<std::uint32_t>((x * 31 + y * 17) ^ (x >> 2)); };
    const auto flat = [](int, int) { return 9u; };
    const std::vector<Case> cases = {
        {"RLE8, one pixel", 8, 1, 1, flat},
        {"RLE8, stripes", 8, 37, 9, stripes},
        {"RLE8, noise (absolute runs, odd lengths padded)", 8, 33, 5, noise},
        {"RLE8, runs and rows longer than 255", 8, 600, 3, flat},
        {"RLE8, absolute runs longer than 255", 8, 700, 2, noise},
        {"RLE4, odd width", 4, 13, 6, stripes},
        {"RLE4, noise", 4, 41, 7, noise},
        {"RLE4, rows longer than 255", 4, 520, 2, stripes},
        {"RLE4, one pixel", 4, 1, 1, flat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapShape s = RleShape(c.bits, c.width, c.height);
        s.pixel = c.pixel;
        LoadedBitmap bmp;
        ASSERT_EQ(1, LoadBytes(BuildBitmap(s), bmp));

        // The block is an uncompressed bitmap of the same picture, as GDI takes it.
        const std::uint32_t image = test::RowBytes(c.width, c.bits) * c.height;
        EXPECT_EQ(kCompressionRgb, bmp.Compression());
        EXPECT_EQ(c.bits, bmp.BitCount());
        EXPECT_EQ(c.width, bmp.Width());
        EXPECT_EQ(c.height, bmp.Height());
        EXPECT_EQ(image, bmp.SizeImage());
        EXPECT_EQ(40u + 4u * (1u << c.bits), bmp.bitsOffset);
        EXPECT_EQ(bmp.bitsOffset + image, bmp.block.size());
        EXPECT_EQ(1u << c.bits, BuildPaletteEntries(bmp.block).size());
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                wrong += test::LoadedPixel(bmp, x, y) != test::MaskToDepth(c.pixel(x, y), c.bits);
            }
        }
        EXPECT_EQ(0, wrong);
        BitmapShape plain = s;
        plain.compression = kCompressionRgb;
        LoadedBitmap expected;
        ASSERT_EQ(1, LoadBytes(BuildBitmap(plain), expected));
        EXPECT_TRUE(expected.block == bmp.block);
    }
}

TEST(RleBitmap, HeaderSizesAndOffsetsAreFoundAsForPlainFiles) {
    struct Case {
        const char* name;
        std::function<void(BitmapShape&)> change;
    };
    const std::vector<Case> cases = {
        {"compressed size left 0", [](BitmapShape& s) { s.sizeImage = 0; }},
        {"compressed size too small is not trusted", [](BitmapShape& s) { s.sizeImage = 3; }},
        {"compressed size far too large", [](BitmapShape& s) { s.sizeImage = 0xFFFFFFF0; }},
        {"bfOffBits 0: runs right after the table", [](BitmapShape& s) { s.zeroOffBits = true; }},
        {"runs found through bfOffBits past a gap", [](BitmapShape& s) { s.gap = 6; }},
        {"16-colour table", [](BitmapShape& s) { s.clrUsed = 16; }},
        {"V5 header", [](BitmapShape& s) { s.headerSize = 124; }},
        {"bytes after the end of the bitmap", [](BitmapShape& s) {
             s.rle = test::EncodeRle(s) + std::string(100, '\x07');
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapShape s = RleShape(8, 11, 4);
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x / 3 + y) % 16); };
        c.change(s);
        LoadedBitmap bmp;
        ASSERT_EQ(1, LoadBytes(BuildBitmap(s), bmp));
        EXPECT_EQ(s.pixel(10, 0), test::LoadedPixel(bmp, 10, 0));
        EXPECT_EQ(s.pixel(0, 3), test::LoadedPixel(bmp, 0, 3));
        EXPECT_EQ(s.pixel(5, 2), test::LoadedPixel(bmp, 5, 2));
    }
}

// --- every command on its own, and runs that leave the picture -----------------------------

TEST(RleBitmap, EachCommandDrawsWhereGdiDrawsIt) {
    for (const test::RleCommandCase& c : test::RleCommandCases()) {
        SCOPED_TRACE(c.name);
        LoadedBitmap bmp;
        ASSERT_EQ(1, LoadBytes(BuildBitmap(RleShape(c.bits, c.width, c.height, c.runs.data)), bmp));
        EXPECT_EQ(c.picture, Picture(bmp));
        EXPECT_EQ(PlainEquivalent(c.bits, c.picture).block, bmp.block);
    }
}

// --- what is refused ---------------------------------------------------------------------

TEST(RleBitmap, RefusesRunsThatEndEarlyAndHeadersItCannotDecode) {
    struct Case {
        const char* name;
        BitmapShape shape;
    };
    const auto good = Rle().Run(2, 1).EndOfLine().Run(2, 2).EndOfBitmap().data;
    BitmapShape rle4As8 = RleShape(8, 2, 2, good);
    rle4As8.compression = kCompressionRle4;
    BitmapShape rle8As4 = RleShape(4, 2, 2, good);
    rle8As4.compression = kCompressionRle8;
    BitmapShape rle8On24 = RleShape(8, 2, 2, good);
    rle8On24.bitCount = 24;
    BitmapShape rle4On1 = RleShape(4, 2, 2, good);
    rle4On1.bitCount = 1;
    BitmapShape topDown = RleShape(8, 2, -2);
    BitmapShape empty = RleShape(8, 2, 2, "x");
    empty.truncate = 1;
    const std::vector<Case> cases = {
        {"no runs at all", empty},
        {"runs end inside a run", RleShape(8, 2, 2, Rle().Run(2, 1).Bytes({2}).data)},
        {"runs end before the last row", RleShape(8, 2, 2, Rle().Run(2, 1).EndOfLine().data)},
        {"runs end inside a delta", RleShape(8, 2, 2, Rle().Bytes({0, 2, 1}).data)},
        {"runs end inside an absolute run", RleShape(8, 4, 1, Rle().Bytes({0, 4, 1, 2, 3}).data)},
        {"RLE4 ends inside an absolute run", RleShape(4, 6, 1, Rle().Bytes({0, 5, 0x12, 0x34}).data)},
        {"absolute run, padding missing, then nothing", RleShape(8, 3, 1,
                                                                 Rle().Absolute({1, 2, 3}, 8, false).data)},
        {"truncated in the last row", RleShape(8, 2, 2, good.substr(0, good.size() - 2))},
        {"RLE4 on an 8-bit header", rle4As8},
        {"RLE8 on a 4-bit header", rle8As4},
        {"RLE8 on a 24-bit header", rle8On24},
        {"RLE4 on a 1-bit header", rle4On1},
        {"top-down rows", topDown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedBitmap bmp;
        EXPECT_EQ(0, LoadBytes(BuildBitmap(c.shape), bmp));
    }
}

// --- what it costs --------------------------------------------------------------------------

// A file of `size` bytes: a header that declares an RLE8 picture, then `runs` repeated.
class RepeatingFile : public InputFile {
public:
    RepeatingFile(std::string header, std::string runs, std::uint64_t size)
        : header_(std::move(header)), runs_(std::move(runs)), size_(size) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        largestRead = std::max(largestRead, size);
        auto* out = static_cast<char*>(buffer);
        std::size_t n = 0;
        for (; n < size && pos_ < size_; ++n, ++pos_) {
            out[n] = pos_ < header_.size() ? header_[pos_] : runs_[(pos_ - header_.size()) % runs_.size()];
        }
        return n;
    }
    bool Seek(std::uint64_t offset) override {
        pos_ = std::min(offset, size_);
        return true;
    }
    std::size_t largestRead = 0;

private:
    std::string header_;
    std::string runs_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
};

TEST(RleBitmap, MemoryGrowsWithTheRowsTheRunsReach) {
    // 8000 x 8000 declares 64,000,000 bytes; the runs fill one row per 4 bytes and the
    // file ends after 100 rows.
    const std::string bytes = BuildBitmap(RleShape(8, 8000, 8000, "x")).substr(0, 14 + 40 + 1024);
    RepeatingFile file(bytes, Rle().Run(200, 1).EndOfLine().data, bytes.size() + 400);
    LoadedBitmap bmp;
    EXPECT_EQ(0, LoadBitmapFile(file, bmp));
    EXPECT_LT(bmp.block.capacity(), 2u * 1100 + 2u * 100 * 8000);
    EXPECT_LE(file.largestRead, kReadChunk);
}

TEST(RleBitmap, LongRunsAreReadInChunksFromTheWholeFile) {
    // 3000 x 3000 in absolute runs: about 9 MB of runs, far more than one chunk.
    const std::string bytes = BuildBitmap(RleShape(8, 3000, 3000, "x")).substr(0, 14 + 40 + 1024);
    std::vector<int> absolute(250, 7);
    Rle row;
    for (int i = 0; i < 12; ++i) row.Absolute(absolute, 8);
    row.EndOfLine();
    RepeatingFile file(bytes, row.data, bytes.size() + 3000 * row.data.size());
    LoadedBitmap bmp;
    ASSERT_EQ(1, LoadBitmapFile(file, bmp));
    EXPECT_EQ(7u, test::LoadedPixel(bmp, 2999, 0));
    EXPECT_EQ(7u, test::LoadedPixel(bmp, 0, 2999));
    EXPECT_EQ(bmp.bitsOffset + 3000u * 3000u, bmp.block.size());
    EXPECT_EQ(kReadChunk, file.largestRead);
}

TEST(RleBitmap, ThePictureObeysTheLimitsOfPlainOnes) {
    // 65535 x 1025 at 8 bits decodes to more than kMaxPixelBytes: refused before a run is read.
    std::string bytes = BuildBitmap(RleShape(8, 1, 1, Rle().EndOfBitmap().data));
    test::PutU32(bytes, 18, 65535);
    test::PutU32(bytes, 22, 1025);
    LoadedBitmap bmp;
    EXPECT_EQ(0, LoadBytes(bytes, bmp));
    test::PutU32(bytes, 18, 65536);
    test::PutU32(bytes, 22, 1);
    EXPECT_EQ(0, LoadBytes(bytes, bmp));
}

// --- the decoder on its own ------------------------------------------------------------------

TEST(DecodeRleBits, KeepsWhatPrecedesTheOffsetAndRefusesOtherDepths) {
    test::MemoryFiles platform;
    platform.AddFile("D:\\r", Rle().Run(3, 9).EndOfBitmap().data);
    std::vector<std::uint8_t> block(5, 0xEE);
    ASSERT_TRUE(DecodeRleBits(*platform.OpenRead("D:\\r"), RleTarget{8, 3, 2, 4}, block, 5));
    EXPECT_EQ((std::vector<std::uint8_t>{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 9, 9, 9, 0, 0, 0, 0, 0}), block);

    for (std::uint16_t bits : {1, 16, 24}) {
        std::vector<std::uint8_t> other(5);
        EXPECT_FALSE(DecodeRleBits(*platform.OpenRead("D:\\r"), RleTarget{bits, 3, 2, 12}, other, 5));
    }
    std::vector<std::uint8_t> small(2);
    EXPECT_FALSE(DecodeRleBits(*platform.OpenRead("D:\\r"), RleTarget{8, 3, 2, 4}, small, 5));
}

}  // namespace
}  // namespace kavrel
