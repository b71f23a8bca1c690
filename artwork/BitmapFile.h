// Loading of the artwork bitmaps (.bmp files) into one packed device-independent
// bitmap block that GDI can stretch as it is: a 40-byte BITMAPINFOHEADER, the colour
// table (or, for bit-field bitmaps, the three colour masks), then the pixel rows,
// bottom-up and uncompressed: run-length-encoded files (RLE8, RLE4) are decoded here
// (artwork/BitmapRle.h). Portable: the Windows painter (artwork/win32) adds only the
// GDI calls.
//
// The loader trusts nothing in the file: every size the file claims is checked against
// what Kavrel supports before anything is allocated, the block is grown only as bytes
// actually arrive, and whatever cannot be drawn safely is refused (result 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace kavrel {

// Header layout of the block (BITMAPINFOHEADER, little-endian).
inline constexpr std::size_t kInfoHeaderSize = 40;
inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kCompressionRgb = 0;       // BI_RGB
inline constexpr std::uint32_t kCompressionBitFields = 3; // BI_BITFIELDS
// Chunk size of the pixel reads.
inline constexpr std::uint32_t kReadChunk = 32768;
// Larger pictures are refused: a full-screen 32-bit picture needs about 33 MB.
inline constexpr std::uint64_t kMaxPixelBytes = 64u * 1024u * 1024u;
// Widths and heights of 65536 or more are refused.
inline constexpr std::int64_t kMaxDimension = 65535;
// Header sizes beyond this are not a bitmap header of any known kind.
inline constexpr std::uint32_t kMaxHeaderSize = 4096;

struct LoadedBitmap {
    // Header, colour table or masks, pixel bits: what StretchDIBits takes.
    std::vector<std::uint8_t> block;
    // Where the pixel bits start in `block`.
    std::size_t bitsOffset = 0;

    // Fields of the header in the block (valid after a successful load).
    std::int32_t Width() const;
    std::int32_t Height() const;  // always positive: rows are stored bottom-up
    std::uint16_t BitCount() const;
    std::uint32_t Compression() const;
    std::uint32_t ColoursUsed() const;
    std::uint32_t SizeImage() const;
};

// Makes room for at least `size` bytes in `block` without changing its contents; false
// when the memory cannot be had. Kavrel.exe is built without exceptions, where a failed
// allocation would end the program: the loader asks first, and a picture too large for
// the memory left is simply not drawn.
bool TryReserve(std::vector<std::uint8_t>& block, std::size_t size);
// Room for `needed` bytes, doubling the capacity but never past `most`.
bool TryGrow(std::vector<std::uint8_t>& block, std::size_t needed, std::size_t most);

// Reads `count` bytes from the file's current position into `block` at `offset`,
// 32768 bytes at a time, growing the block only as each chunk is about to be read (so a
// false size claim costs no more memory than the file really holds). Returns `count`
// when all of it came, 0 at the first short read or when memory runs out. `block` must
// hold at least `offset` bytes; on return it holds at most offset + count bytes.
std::uint32_t ReadFileInChunks(InputFile& file, std::vector<std::uint8_t>& block,
                               std::size_t offset, std::uint32_t count);

// Loads a whole bitmap from an open file positioned at its start. 1 when the whole
// bitmap was read and is safe to draw, else 0 (`out` is then unspecified).
int LoadBitmapFile(InputFile& file, LoadedBitmap& out);
// The same on a path; 0 when the file cannot be opened.
int LoadBitmapFile(FileReader& files, const std::string& path, LoadedBitmap& out);

// One palette entry per colour-table entry of a loaded block.
struct PaletteColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};

// The colour table of a loaded block as palette entries (red, green, blue, flags 0).
// Empty when the block has no colour table: the painter then uses the stock palette.
// Never reads past the block, whatever its header says.
std::vector<PaletteColour> BuildPaletteEntries(std::span<const std::uint8_t> block);

// Little-endian field access on a byte block; 0 when the field lies outside it.
std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset);
void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);

}  // namespace kavrel
