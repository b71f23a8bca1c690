#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "artwork/BitmapFile.h"
#include "artwork/BitmapBuilder.h"
#include "support/HostPath.h"
#include "support/MemoryFiles.h"

namespace kavrel {
namespace {

using test::BitmapShape;
using test::BuildBitmap;

constexpr const char* kPath = "D:\\art\\pic.bmp";

int LoadBytes(const std::string& bytes, LoadedBitmap& out) {
    test::MemoryFiles platform;
    platform.AddFile(kPath, bytes);
    return LoadBitmapFile(platform, kPath, out);
}

// --- what loads -------------------------------------------------------------------------

struct LoadCase {
    const char* name;
    BitmapShape shape;
    std::uint32_t colours;  // entries expected in the block's table (and the palette)
    bool masks = false;     // the block holds three masks instead of a table
};

BitmapShape Shape(std::uint16_t bits, std::int32_t w, std::int32_t h) {
    BitmapShape s;
    s.bitCount = bits;
    s.width = w;
    s.height = h;
    return s;
}

std::vector<LoadCase> LoadCases() {
    std::vector<LoadCase> cases;
    cases.push_back({"1-bit, full table", Shape(1, 13, 5), 2});
    cases.push_back({"4-bit, full table", Shape(4, 9, 7), 16});
    cases.push_back({"8-bit, biClrUsed 0 gives 256", Shape(8, 10, 3), 256});
    {
        BitmapShape s = Shape(8, 10, 3);
        s.clrUsed = 16;
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 16); };
        cases.push_back({"8-bit, biClrUsed 16", s, 16});
    }
    cases.push_back({"24-bit, no table", Shape(24, 5, 4), 0});
    {
        BitmapShape s = Shape(24, 5, 4);
        s.clrUsed = 16;
        cases.push_back({"24-bit with an optional table", s, 16});
    }
    cases.push_back({"16-bit RGB", Shape(16, 7, 3), 0});
    cases.push_back({"32-bit RGB", Shape(32, 3, 3), 0});
    {
        BitmapShape s = Shape(16, 5, 2);
        s.compression = kCompressionBitFields;
        s.masks = {0xF800, 0x07E0, 0x001F};
        cases.push_back({"16-bit bit fields after a 40-byte header", s, 0, true});
        s.zeroOffBits = true;
        cases.push_back({"16-bit bit fields, bfOffBits 0: bits after the masks", s, 0, true});
    }
    {
        BitmapShape s = Shape(32, 3, -4);
        s.compression = kCompressionBitFields;
        s.headerSize = 124;
        s.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
        s.pixel = [](int x, int y) { return 0x80000000u + static_cast<std::uint32_t>(x * 1000 + y); };
        cases.push_back({"32-bit bit fields in a V5 header, top-down", s, 0, true});
    }
    {
        BitmapShape s = Shape(8, 6, 6);
        s.headerSize = 108;
        cases.push_back({"8-bit with a V4 header: table read behind it", s, 256});
    }
    {
        BitmapShape s = Shape(8, 6, 6);
        s.headerSize = 124;
        s.clrUsed = 20;
        s.zeroOffBits = true;
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>(x * y % 20); };
        cases.push_back({"8-bit, V5 header, bfOffBits 0", s, 20});
    }
    {
        BitmapShape s = Shape(8, 5, 3);
        s.zeroOffBits = true;
        cases.push_back({"8-bit, bfOffBits 0: bits right after the table", s, 256});
    }
    {
        BitmapShape s = Shape(24, 5, 3);
        s.zeroOffBits = true;
        cases.push_back({"24-bit, bfOffBits 0: bits right after the header", s, 0});
    }
    {
        BitmapShape s = Shape(4, 5, 3);
        s.gap = 10;
        cases.push_back({"bits found through bfOffBits past a gap", s, 16});
    }
    cases.push_back({"8-bit top-down", Shape(8, 9, -5), 256});
    cases.push_back({"24-bit top-down", Shape(24, 9, -5), 0});
    cases.push_back({"1-bit top-down, odd width", Shape(1, 33, -3), 2});
    {
        BitmapShape s = Shape(8, 4, 2);
        s.clrUsed = 300;
        s.zeroOffBits = true;
        cases.push_back({"8-bit claiming 300 colours keeps 256", s, 256});
    }
    {
        BitmapShape s = Shape(24, 200, 100);  // 60000 bytes of pixels
        cases.push_back({"pixel area above 32 KiB", s, 0});
    }
    {
        BitmapShape s = Shape(24, 6, 2);
        s.sizeImage = 0xFFFFFFF0;
        cases.push_back({"biSizeImage far too large is not trusted", s, 0});
    }
    {
        BitmapShape s = Shape(24, 6, 2);
        s.sizeImage = 1;
        cases.push_back({"biSizeImage too small is not trusted", s, 0});
    }
    return cases;
}

TEST(LoadBitmapFile, LoadsSupportedFormatsIntoAPackedBlock) {
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.name);
        const BitmapShape& shape = c.shape;
        LoadedBitmap bmp;
        ASSERT_EQ(1, LoadBytes(BuildBitmap(shape), bmp));

        const std::int32_t rows = shape.height < 0 ? -shape.height : shape.height;
        const std::uint32_t image = test::RowBytes(shape.width, shape.bitCount) * rows;
        EXPECT_EQ(40u, ReadU32(bmp.block, 0));
        EXPECT_EQ(shape.width, bmp.Width());
        EXPECT_EQ(rows, bmp.Height());
        EXPECT_EQ(shape.bitCount, bmp.BitCount());
        EXPECT_EQ(shape.compression, bmp.Compression());
        EXPECT_EQ(c.colours, bmp.ColoursUsed());
        EXPECT_EQ(image, bmp.SizeImage());
        EXPECT_EQ(40u + (c.masks ? 12u : 4u * c.colours), bmp.bitsOffset);
        EXPECT_EQ(bmp.bitsOffset + image, bmp.block.size());

        for (std::size_t i = 0; i < c.masks * shape.masks.size() && i < 3; ++i) {
            EXPECT_EQ(shape.masks[i], ReadU32(bmp.block, 40 + 4 * i));
        }
        const auto palette = BuildPaletteEntries(bmp.block);
        ASSERT_EQ(c.colours, palette.size());
        for (std::uint32_t i = 0; i < c.colours; ++i) {
            const std::uint32_t rgb = shape.colour(static_cast<int>(i));
            EXPECT_EQ(rgb >> 16 & 0xFF, palette[i].red) << i;
            EXPECT_EQ(rgb >> 8 & 0xFF, palette[i].green) << i;
            EXPECT_EQ(rgb & 0xFF, palette[i].blue) << i;
            EXPECT_EQ(0, palette[i].flags);
        }
        // Every pixel where it belongs, whichever way the file stored its rows.
        int wrong = 0;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < shape.width; ++x) {
                wrong += test::LoadedPixel(bmp, x, y) !=
                         test::MaskToDepth(shape.pixel(x, y), shape.bitCount);
            }
        }
        EXPECT_EQ(0, wrong);
    }
}

// --- what is refused ---------------------------------------------------------------------

struct RefuseCase {
    const char* name;
    std::string bytes;
};

std::string Built(const std::function<void(BitmapShape&)>& change) {
    BitmapShape s = Shape(8, 8, 4);
    change(s);
    return BuildBitmap(s);
}

std::string Patched(std::string bytes, std::size_t at, std::uint32_t value) {
    test::PutU32(bytes, at, value);
    return bytes;
}

std::vector<RefuseCase> RefuseCases() {
    const std::string good = Built([](BitmapShape&) {});
    std::vector<RefuseCase> cases = {
        {"empty file", ""},
        {"not a bitmap", "MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff\0\0" + std::string(100, 'x')},
        {"letters in the wrong order", "MB" + good.substr(2)},
        {"file header only", good.substr(0, 14)},
        {"info header cut short", good.substr(0, 53)},
        {"pixel area one byte short", Built([](BitmapShape& s) { s.truncate = 1; })},
        {"24-bit pixel area one byte short",
         Built([](BitmapShape& s) { s.bitCount = 24; s.truncate = 1; })},
        {"core header (12 bytes)", Built([](BitmapShape& s) { s.headerSize = 12; })},
        {"header of 16 bytes", Built([](BitmapShape& s) { s.headerSize = 16; })},
        {"header of 5000 bytes", Built([](BitmapShape& s) { s.headerSize = 5000; })},
        {"header size 0xFFFFFFFF", Patched(good, 14, 0xFFFFFFFF)},
        {"width 0", Built([](BitmapShape& s) { s.width = 0; })},
        {"negative width", Patched(good, 18, static_cast<std::uint32_t>(-8))},
        {"height 0", Patched(good, 22, 0)},
        {"height INT_MIN", Patched(good, 22, 0x80000000)},
        {"width 65536", Patched(good, 18, 65536)},
        {"height -65536", Patched(good, 22, static_cast<std::uint32_t>(-65536))},
        {"area beyond the cap", Patched(Patched(good, 18, 65535), 22, 65535)},
        {"bit count 0", Built([](BitmapShape& s) { s.bitCount = 0; })},
        {"bit count 2", Built([](BitmapShape& s) { s.bitCount = 2; })},
        {"bit count 7", Built([](BitmapShape& s) { s.bitCount = 7; })},
        {"bit count 64", Built([](BitmapShape& s) { s.bitCount = 64; })},
        {"bit fields on 8 bits", Built([](BitmapShape& s) { s.compression = 3; })},
        {"JPEG", Built([](BitmapShape& s) { s.bitCount = 24; s.compression = 4; })},
        {"PNG", Built([](BitmapShape& s) { s.bitCount = 24; s.compression = 5; })},
        {"alpha bit fields", Built([](BitmapShape& s) { s.bitCount = 32; s.compression = 6; })},
        {"bit fields with a 44-byte header", Built([](BitmapShape& s) {
             s.bitCount = 16; s.compression = 3; s.headerSize = 44;
         })},
        {"bit-field masks missing", Built([](BitmapShape& s) {
             // the pixels are found (bfOffBits 14), the masks are cut off
             s.bitCount = 16; s.compression = 3; s.width = 1; s.height = 1;
             s.masks = {0xF800, 0x07E0, 0x001F}; s.offBits = 14; s.truncate = 10;
         })},
        {"bfOffBits past the end", Built([](BitmapShape& s) { s.offBits = 100000; })},
        {"bfOffBits 0xFFFFFFFF", Built([](BitmapShape& s) { s.offBits = 0xFFFFFFFF; })},
        {"4 billion colours and bfOffBits 0", Built([](BitmapShape& s) {
             s.clrUsed = 0xFFFFFFFF; s.tableEntries = 256; s.zeroOffBits = true;
         })},
    };
    return cases;
}

TEST(LoadBitmapFile, RefusesWhatItCannotDrawSafely) {
    for (const RefuseCase& c : RefuseCases()) {
        SCOPED_TRACE(c.name);
        LoadedBitmap bmp;
        EXPECT_EQ(0, LoadBytes(c.bytes, bmp));
    }
}

TEST(LoadBitmapFile, MissingFileIsNotLoaded) {
    test::MemoryFiles platform;
    LoadedBitmap bmp;
    EXPECT_EQ(0, LoadBitmapFile(platform, "D:\\art\\none.bmp", bmp));
}

TEST(LoadBitmapFile, HostileSizesCostNoMoreMemoryThanTheFileHolds) {
    // 8000 x 2000 at 32 bits claims 64,000,000 bytes but the file ends after its header.
    BitmapShape s = Shape(32, 1, 1);
    std::string bytes = Patched(Patched(BuildBitmap(s), 18, 8000), 22, 2000);
    LoadedBitmap bmp;
    EXPECT_EQ(0, LoadBytes(bytes, bmp));
    EXPECT_LT(bmp.block.capacity(), 1u << 20);
}

TEST(LoadBitmapFile, AColourCountAboveTheDepthIsCappedAndBitsFoundByOffset) {
    BitmapShape s = Shape(4, 4, 2);
    s.clrUsed = 0xFFFFFFFF;  // impossible; the file holds 16
    s.tableEntries = 16;
    LoadedBitmap bmp;
    ASSERT_EQ(1, LoadBytes(BuildBitmap(s), bmp));
    EXPECT_EQ(16u, bmp.ColoursUsed());
    EXPECT_EQ(16u, BuildPaletteEntries(bmp.block).size());
    EXPECT_EQ(test::MaskToDepth(s.pixel(3, 1), 4), test::LoadedPixel(bmp, 3, 1));
}

// A file of the source tree, read from a native test or from a Windows test under Wine.
bool ReadSourceFile(const std::string& relative, std::string& bytes) {
    const std::string path = test::HostPath(std::string(KAVREL_SOURCE_DIR) + "/" + relative);
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

#ifndef _WIN32
// The fuzz target's seeds, among them every input that once broke the loader: those named
// after a format load, the others are refused, and none may crash (ASan runs this too).
TEST(LoadBitmapFile, FuzzSeedsLoadOrAreRefused) {
    const std::filesystem::path dir =
        std::filesystem::path(KAVREL_SOURCE_DIR) / "tests/artwork/fuzz-seeds/fuzz_bitmap";
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        std::string bytes;
        ASSERT_TRUE(ReadSourceFile("tests/artwork/fuzz-seeds/fuzz_bitmap/" + name, bytes));
        LoadedBitmap bmp;
        const bool format = name.starts_with("plain-") || name.starts_with("bitfields-") ||
                            name.starts_with("rle");
        EXPECT_EQ(format ? 1 : 0, LoadBytes(bytes, bmp));
        ++seeds;
    }
    EXPECT_GE(seeds, 9);
}
#endif

TEST(LoadBitmapFile, LoadsTheDemoArtwork) {
    struct Case {
        const char* name;
        std::int32_t width, height;
        std::uint16_t bits;
        bool table;
    };
    const Case cases[] = {{"view.bmp", 640, 480, 8, true},
                          {"intro.bmp", 64, 64, 8, true},
                          {"dest.bmp", 64, 64, 8, true},
                          {"confirm.bmp", 64, 64, 8, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes;
        ASSERT_TRUE(ReadSourceFile(std::string("demo/artwork/") + c.name, bytes));
        LoadedBitmap bmp;
        ASSERT_EQ(1, LoadBytes(bytes, bmp));
        EXPECT_EQ(c.width, bmp.Width());
        EXPECT_EQ(c.height, bmp.Height());
        EXPECT_EQ(c.bits, bmp.BitCount());
        EXPECT_EQ(c.table, !BuildPaletteEntries(bmp.block).empty());
    }
}

// --- chunked reading ---------------------------------------------------------------------

class RecordingFile : public InputFile {
public:
    explicit RecordingFile(std::size_t size) : size_(size) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        reads.push_back(size);
        const std::size_t n = std::min(size, size_ - pos_);
        std::memset(buffer, 0x5A, n);
        pos_ += n;
        return n;
    }
    bool Seek(std::uint64_t offset) override {
        pos_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, size_));
        return true;
    }
    std::vector<std::size_t> reads;

private:
    std::size_t size_;
    std::size_t pos_ = 0;
};

TEST(ReadFileInChunks, ReadsIn32KiBChunksAndFailsAtTheFirstShortRead) {
    struct Case {
        std::size_t fileSize;
        std::uint32_t count;
        std::uint32_t result;
        std::vector<std::size_t> reads;
    };
    const std::vector<Case> cases = {
        {100000, 100000, 100000, {32768, 32768, 32768, 1696}},
        {70000, 65536, 65536, {32768, 32768}},
        {10, 10, 10, {10}},
        {32767, 32768, 0, {32768}},
        {40000, 70000, 0, {32768, 32768}},
        {5, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        RecordingFile file(c.fileSize);
        std::vector<std::uint8_t> block(7, 1);
        EXPECT_EQ(c.result, ReadFileInChunks(file, block, 7, c.count));
        EXPECT_EQ(c.reads, file.reads);
        // Never more than what came, and the bytes before the offset are kept.
        EXPECT_LE(block.size(), 7 + std::min<std::size_t>(c.fileSize, c.count));
        EXPECT_EQ(1, block[6]);
        if (c.result != 0) {
            EXPECT_EQ(0x5A, block.back());
        }
    }
}

TEST(ReadFileInChunks, RefusesAnOffsetBeyondTheBlock) {
    RecordingFile file(100);
    std::vector<std::uint8_t> block(4);
    EXPECT_EQ(0u, ReadFileInChunks(file, block, 5, 10));
    EXPECT_TRUE(file.reads.empty());
}

// --- the palette builder on blocks that lie ------------------------------------------------

// Doubling the block as chunks come must never reserve past what the picture can need,
// and memory that cannot be had is a refusal, not the end of the program.
TEST(TryGrow, DoublesUpToTheLimitAndRefusesWhatCannotBeHad) {
    std::vector<std::uint8_t> block(100, 7);
    block.shrink_to_fit();
    ASSERT_TRUE(TryGrow(block, 150, 1000));
    EXPECT_EQ(200u, block.capacity());
    ASSERT_TRUE(TryGrow(block, 300, 350));
    EXPECT_EQ(350u, block.capacity());
    EXPECT_EQ(std::vector<std::uint8_t>(100, 7), block);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reports an impossible allocation instead of failing it";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer reports an impossible allocation instead of failing it";
#endif
#endif
    const std::size_t impossible = std::size_t{1} << (sizeof(std::size_t) * 8 - 2);
    if (impossible < block.max_size()) {
        EXPECT_FALSE(TryReserve(block, impossible));
        EXPECT_EQ(std::vector<std::uint8_t>(100, 7), block);
    }
}

TEST(BuildPaletteEntries, NeverReadsPastTheBlock) {
    std::vector<std::uint8_t> header(40, 0);
    WriteU32(header, 0, 40);
    struct Case {
        const char* name;
        std::uint32_t headerSize;
        std::uint32_t used;
        std::size_t tableBytes;
        std::size_t expected;
    };
    const std::vector<Case> cases = {
        {"no colours", 40, 0, 64, 0},
        {"claims 256, holds 3", 40, 256, 12, 3},
        {"claims 256, holds 3 and a half", 40, 256, 14, 3},
        {"claims 70000, holds 300", 40, 70000, 1200, 256},
        {"header size beyond the block", 1000, 2, 8, 0},
        {"header size too small", 12, 2, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> block(header);
        WriteU32(block, 0, c.headerSize);
        WriteU32(block, 32, c.used);
        block.resize(40 + c.tableBytes, 0x11);
        EXPECT_EQ(c.expected, BuildPaletteEntries(block).size());
    }
    EXPECT_TRUE(BuildPaletteEntries({}).empty());
}

}  // namespace
}  // namespace kavrel
