// libFuzzer target: any bytes as an artwork file (plain, bit fields, RLE8, RLE4). The
// loader must never read or write outside its block, and what it accepts must be a block
// GDI can draw without reading past it: header, table or masks, then exactly the plain
// rows the header describes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "artwork/BitmapFile.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
    return 0;
}
