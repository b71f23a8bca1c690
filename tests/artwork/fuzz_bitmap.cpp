// libFuzzer target: any bytes as an artwork file (plain, bit fields, RLE8, RLE4). The
// loader must never read or write outside its block, and what it accepts must be a block
// GDI can draw without reading past it: header, table or masks, then exactly the plain
// rows the header describes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "artwork/BitmapFile.h"
#include "artwork/BitmapRle.h"

namespace {

class BytesFile : public kavrel::InputFile {
public:
    BytesFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, size_ - pos_);
        if (n != 0) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }
    bool Seek(std::uint64_t offset) override {
        pos_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, size_));
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

// A run-length-encoded picture costs its whole decoded size even when a few bytes end it
// (up to kMaxPixelBytes, zero-filled): the fuzzer would spend its time filling memory.
// Such pictures run through the same code at small sizes; the limits have unit tests.
bool LargeRunLengthPicture(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::uint32_t compression = kavrel::ReadU32(bytes, 30);
    if (compression != kavrel::kCompressionRle8 && compression != kavrel::kCompressionRle4) return false;
    const auto width = static_cast<std::int32_t>(kavrel::ReadU32(bytes, 18));
    const auto height = static_cast<std::int32_t>(kavrel::ReadU32(bytes, 22));
    return static_cast<std::int64_t>(width) * height > (1 << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (LargeRunLengthPicture(data, size)) return 0;
    BytesFile file(data, size);
    kavrel::LoadedBitmap bmp;
    if (kavrel::LoadBitmapFile(file, bmp) != 1) return 0;

    // The block must be exactly what the header says, as GDI will take it on trust.
    const std::uint16_t bits = bmp.BitCount();
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(bits) * bmp.Width() + 31) / 32 * 4;
    Check(kavrel::ReadU32(bmp.block, 0) == kavrel::kInfoHeaderSize);
    Check(bmp.Width() > 0 && bmp.Height() > 0);
    // Run-length-encoded files arrive decoded: GDI gets plain rows or bit fields only.
    Check(bmp.Compression() == kavrel::kCompressionRgb ||
          bmp.Compression() == kavrel::kCompressionBitFields);
    Check(bmp.SizeImage() == rowBytes * static_cast<std::uint64_t>(bmp.Height()));
    Check(bmp.SizeImage() <= kavrel::kMaxPixelBytes);
    const bool masks = bmp.Compression() == kavrel::kCompressionBitFields;
    Check(masks ? bmp.ColoursUsed() == 0 : bmp.ColoursUsed() <= 256);
    Check(bits > 8 || masks || bmp.ColoursUsed() <= (1u << bits));
    Check(bmp.bitsOffset == kavrel::kInfoHeaderSize + (masks ? 12 : 4 * bmp.ColoursUsed()));
    Check(bmp.block.size() == bmp.bitsOffset + bmp.SizeImage());
    Check(kavrel::BuildPaletteEntries(bmp.block).size() == bmp.ColoursUsed());

    // Decoded runs set no pixel beyond the width: the rows' padding stays 0.
    const std::uint32_t compression = kavrel::ReadU32(std::span(data, size), 30);
    if (compression == kavrel::kCompressionRle8 || compression == kavrel::kCompressionRle4) {
        const std::uint64_t usedBits = static_cast<std::uint64_t>(bits) * bmp.Width();
        for (std::int32_t y = 0; y < bmp.Height(); ++y) {
            const std::uint8_t* row = bmp.block.data() + bmp.bitsOffset + y * rowBytes;
            if (usedBits % 8 != 0) Check((row[usedBits / 8] & (0xFF >> (usedBits % 8))) == 0);
            for (std::uint64_t i = (usedBits + 7) / 8; i < rowBytes; ++i) Check(row[i] == 0);
        }
    }
    return 0;
}
