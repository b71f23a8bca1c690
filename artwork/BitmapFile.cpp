#include "artwork/BitmapFile.h"

#include <algorithm>
#include <array>
#include <new>

#include "artwork/BitmapRle.h"

namespace kavrel {

namespace {

// Offsets of the BITMAPINFOHEADER fields.
constexpr std::size_t kSizeField = 0;
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kSizeImageField = 20;
constexpr std::size_t kClrUsedField = 32;
constexpr std::size_t kClrImportantField = 36;
// BITMAPFILEHEADER.bfOffBits
constexpr std::size_t kOffBitsField = 10;
// Bit-field bitmaps carry three 32-bit masks (red, green, blue).
constexpr std::size_t kMasksSize = 12;
// From this header size on (BITMAPV2INFOHEADER) the masks sit inside the header.
constexpr std::uint32_t kHeaderWithMasks = 52;

bool ReadExact(InputFile& file, std::uint8_t* buffer, std::size_t size) {
    return file.Read(buffer, size) == size;
}

// What the header says, once checked against what can be drawn safely.
struct Layout {
    std::int32_t width = 0;
    std::int32_t rows = 0;
    bool topDown = false;
    bool bitFields = false;
    bool rle = false;  // decoded into plain rows as it is read
    std::uint32_t rowBytes = 0;
    std::uint32_t imageBytes = 0;
    std::uint64_t fileColours = 0;  // colour-table entries the file holds
    std::uint32_t keptColours = 0;  // entries kept in the block
    std::uint64_t tablePos = 0;     // where the file's colour table starts
};

bool CheckHeader(std::span<const std::uint8_t> info, Layout& layout) {
    const std::uint32_t headerSize = ReadU32(info, kSizeField);
    // 12 is the old core header, whose fields differ; smaller or absurd sizes are not
    // bitmap headers at all.
    if (headerSize < kInfoHeaderSize || headerSize > kMaxHeaderSize) return false;

    const auto width = static_cast<std::int32_t>(ReadU32(info, kWidthField));
    const auto height = static_cast<std::int32_t>(ReadU32(info, kHeightField));
    const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    if (width <= 0 || width > kMaxDimension || rows == 0 || rows > kMaxDimension) return false;

    const std::uint16_t bitCount = ReadU16(info, kBitCountField);
    const std::uint32_t compression = ReadU32(info, kCompressionField);
    switch (bitCount) {
    case 4:
    case 8:
        // Run-length-encoded rows are always stored bottom-up.
        layout.rle = compression == (bitCount == 8 ? kCompressionRle8 : kCompressionRle4);
        if (compression != kCompressionRgb && !(layout.rle && height > 0)) return false;
        break;
    case 1:
    case 24:
        if (compression != kCompressionRgb) return false;
        break;
    case 16:
    case 32:
        if (compression != kCompressionRgb && compression != kCompressionBitFields) return false;
        break;
    default:
        return false;
    }
    layout.bitFields = compression == kCompressionBitFields;
    // Between the 40-byte header and the V2 header the masks would straddle both.
    if (layout.bitFields && headerSize != kInfoHeaderSize && headerSize < kHeaderWithMasks) {
        return false;
    }

    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(bitCount) * width + 31) / 32 * 4;
    const std::uint64_t imageBytes = rowBytes * static_cast<std::uint64_t>(rows);
    if (imageBytes > kMaxPixelBytes) return false;

    // The file's own table: biClrUsed entries, or a full table for the palettised depths.
    const std::uint32_t clrUsed = ReadU32(info, kClrUsedField);
    const std::uint32_t fullTable = bitCount <= 8 ? (1u << bitCount) : 0;
    layout.fileColours = clrUsed != 0 ? clrUsed : fullTable;
    // Never more entries than a pixel can index (or 256 for an optional table of the
    // true-colour depths); bit-field bitmaps keep their masks instead.
    const std::uint32_t limit = bitCount <= 8 ? fullTable : 256;
    layout.keptColours = layout.bitFields
        ? 0
        : static_cast<std::uint32_t>(std::min<std::uint64_t>(layout.fileColours, limit));
    layout.tablePos = kFileHeaderSize + headerSize +
                      (layout.bitFields && headerSize == kInfoHeaderSize ? kMasksSize : 0);

    layout.width = width;
    layout.rows = static_cast<std::int32_t>(rows);
    layout.topDown = height < 0;
    layout.rowBytes = static_cast<std::uint32_t>(rowBytes);
    layout.imageBytes = static_cast<std::uint32_t>(imageBytes);
    return true;
}

// Top-down rows are turned bottom-up so that the block always means the same thing.
void FlipRows(std::span<std::uint8_t> bits, std::size_t rowBytes, std::size_t rows) {
    for (std::size_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(bits.begin() + top * rowBytes, bits.begin() + (top + 1) * rowBytes,
                         bits.begin() + bottom * rowBytes);
    }
}

int Load(InputFile& file, LoadedBitmap& out) {
    std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
    if (!ReadExact(file, fileHeader.data(), fileHeader.size())) return 0;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return 0;
    const std::uint32_t offBits = ReadU32(fileHeader, kOffBitsField);

    std::array<std::uint8_t, kInfoHeaderSize> info{};
    if (!ReadExact(file, info.data(), info.size())) return 0;
    Layout layout;
    if (!CheckHeader(info, layout)) return 0;

    // Header, then masks or colour table; the pixel bits are appended as they come.
    const std::size_t tableBytes = layout.bitFields ? kMasksSize : 4u * layout.keptColours;
    out.block.assign(kInfoHeaderSize + tableBytes, 0);
    std::copy(info.begin(), info.end(), out.block.begin());
    WriteU32(out.block, kSizeField, kInfoHeaderSize);
    WriteU32(out.block, kHeightField, static_cast<std::uint32_t>(layout.rows));
    if (layout.rle) WriteU32(out.block, kCompressionField, kCompressionRgb);
    WriteU32(out.block, kSizeImageField, layout.imageBytes);
    WriteU32(out.block, kClrUsedField, layout.keptColours);
    if (ReadU32(out.block, kClrImportantField) > layout.keptColours) {
        WriteU32(out.block, kClrImportantField, 0);
    }

    if (layout.bitFields) {
        // The masks follow the 40-byte header, or are the header's next fields.
        if (!file.Seek(kFileHeaderSize + kInfoHeaderSize) ||
            !ReadExact(file, out.block.data() + kInfoHeaderSize, kMasksSize)) {
            return 0;
        }
    } else if (tableBytes != 0) {
        // A short table is tolerated (its missing entries stay black): the pixel read
        // below decides whether the file is whole.
        if (!file.Seek(layout.tablePos)) return 0;
        file.Read(out.block.data() + kInfoHeaderSize, tableBytes);
    }
    out.bitsOffset = kInfoHeaderSize + tableBytes;

    // bfOffBits 0: the bits follow the file's colour table.
    const std::uint64_t bitsPos = offBits != 0 ? offBits : layout.tablePos + 4 * layout.fileColours;
    if (!file.Seek(bitsPos)) return 0;
    if (layout.rle) {
        const RleTarget target{ReadU16(info, kBitCountField), static_cast<std::uint32_t>(layout.width),
                               static_cast<std::uint32_t>(layout.rows), layout.rowBytes};
        return DecodeRleBits(file, target, out.block, out.bitsOffset) ? 1 : 0;
    }
    if (ReadFileInChunks(file, out.block, out.bitsOffset, layout.imageBytes) != layout.imageBytes) {
        return 0;
    }
    if (layout.topDown) {
        FlipRows(std::span(out.block).subspan(out.bitsOffset), layout.rowBytes, layout.rows);
    }
    return 1;
}

}  // namespace

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 2) return 0;
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return;
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t LoadedBitmap::Width() const {
    return static_cast<std::int32_t>(ReadU32(block, kWidthField));
}
std::int32_t LoadedBitmap::Height() const {
    return static_cast<std::int32_t>(ReadU32(block, kHeightField));
}
std::uint16_t LoadedBitmap::BitCount() const { return ReadU16(block, kBitCountField); }
std::uint32_t LoadedBitmap::Compression() const { return ReadU32(block, kCompressionField); }
std::uint32_t LoadedBitmap::ColoursUsed() const { return ReadU32(block, kClrUsedField); }
std::uint32_t LoadedBitmap::SizeImage() const { return ReadU32(block, kSizeImageField); }

bool TryReserve(std::vector<std::uint8_t>& block, std::size_t size) {
    if (size <= block.capacity()) return true;
#if defined(__cpp_exceptions)
    try {
        block.reserve(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
#else
    // The old block and the new one live side by side while it moves.
    void* probe = ::operator new(size, std::nothrow);
    if (probe == nullptr) return false;
    ::operator delete(probe);
    block.reserve(size);
    return true;
#endif
}

bool TryGrow(std::vector<std::uint8_t>& block, std::size_t needed, std::size_t most) {
    if (needed <= block.capacity()) return true;
    return TryReserve(block, std::max(needed, std::min(most, 2 * block.capacity())));
}

std::uint32_t ReadFileInChunks(InputFile& file, std::vector<std::uint8_t>& block,
                               std::size_t offset, std::uint32_t count) {
    if (block.size() < offset) return 0;
    block.resize(offset);
    std::uint32_t remaining = count;
    // The last read may ask for 0 bytes; that is a whole read, not a short one.
    do {
        const std::uint32_t chunk = std::min(remaining, kReadChunk);
        const std::size_t at = block.size();
        if (!TryGrow(block, at + chunk, offset + count)) return 0;
        block.resize(at + chunk);
        const std::size_t got = chunk == 0 ? 0 : file.Read(block.data() + at, chunk);
        if (got != chunk) {
            block.resize(at + std::min<std::size_t>(got, chunk));
            return 0;
        }
        remaining -= chunk;
    } while (remaining != 0);
    return count;
}

int LoadBitmapFile(InputFile& file, LoadedBitmap& out) {
#if defined(__cpp_exceptions)
    try {
        return Load(file, out);
    } catch (const std::bad_alloc&) {
        // The block could not be had: the picture is simply not drawn.
        out.block.clear();
        return 0;
    }
#else
    return Load(file, out);
#endif
}

int LoadBitmapFile(FileReader& files, const std::string& path, LoadedBitmap& out) {
    const std::unique_ptr<InputFile> file = files.OpenRead(path);
    if (!file) return 0;
    return LoadBitmapFile(*file, out);
}

std::vector<PaletteColour> BuildPaletteEntries(std::span<const std::uint8_t> block) {
    const std::uint32_t headerSize = ReadU32(block, kSizeField);
    const std::uint32_t used = ReadU32(block, kClrUsedField);
    if (used == 0 || headerSize < kInfoHeaderSize || headerSize > block.size()) return {};
    const std::size_t present = (block.size() - headerSize) / 4;
    const std::size_t count = std::min<std::size_t>({used, 256, present});
    std::vector<PaletteColour> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        // RGBQUAD: blue, green, red, reserved
        const std::uint8_t* quad = block.data() + headerSize + 4 * i;
        entries[i] = PaletteColour{quad[2], quad[1], quad[0], 0};
    }
    return entries;
}

}  // namespace kavrel
