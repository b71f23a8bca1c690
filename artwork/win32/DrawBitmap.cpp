#include "artwork/win32/DrawBitmap.h"

#include <cstddef>
#include <new>
#include <vector>

#include "artwork/BitmapFile.h"

namespace kavrel {

static_assert(sizeof(BITMAPINFOHEADER) == kInfoHeaderSize);

namespace {

// The picture's palette in the device context for the transfer, the previous one back
// afterwards (foreground, as it was selected).
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette)
        : dc_(dc), previous_(palette != nullptr ? SelectPalette(dc, palette, FALSE) : nullptr) {
        if (previous_ != nullptr) RealizePalette(dc_);
    }
    ~PaletteSelection() {
        if (previous_ != nullptr) SelectPalette(dc_, previous_, FALSE);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
};

}  // namespace

BitmapPalette CreateBitmapPalette(std::span<const std::uint8_t> block) noexcept {
#if defined(__cpp_exceptions)
    try {
#endif
        const std::vector<PaletteColour> colours = BuildPaletteEntries(block);
        if (colours.empty()) {
            return BitmapPalette(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), false);
        }
        // LOGPALETTE ends in a one-entry array: room for all entries behind its head.
        std::vector<std::byte> storage(offsetof(LOGPALETTE, palPalEntry) +
                                       colours.size() * sizeof(PALETTEENTRY));
        auto* description = reinterpret_cast<LOGPALETTE*>(storage.data());
        description->palVersion = 0x300;
        description->palNumEntries = static_cast<WORD>(colours.size());
        auto* entries = description->palPalEntry;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            entries[i] = PALETTEENTRY{colours[i].red, colours[i].green, colours[i].blue, 0};
        }
        return BitmapPalette(CreatePalette(description), true);
#if defined(__cpp_exceptions)
    } catch (const std::bad_alloc&) {
        return BitmapPalette();
    }
#endif
}

int DrawBitmapFile(FileReader& files, HDC dc, const RECT& rect, const std::string& path,
                   DWORD rop) noexcept {
#if defined(__cpp_exceptions)
    try {
#endif
        LoadedBitmap bitmap;
        if (LoadBitmapFile(files, path, bitmap) != 1) return 0;
        // Declared before the selection, so it is deselected before it is deleted.
        const BitmapPalette palette = CreateBitmapPalette(bitmap.block);
        const PaletteSelection selection(dc, palette.get());
        StretchDIBits(dc, rect.left, rect.top, rect.right, rect.bottom, 0, 0, bitmap.Width(),
                      bitmap.Height(), bitmap.block.data() + bitmap.bitsOffset,
                      reinterpret_cast<const BITMAPINFO*>(bitmap.block.data()), DIB_RGB_COLORS,
                      rop);
        return 1;
#if defined(__cpp_exceptions)
    } catch (...) {
        // Paint handlers are Win32 callbacks: nothing may escape, nothing is drawn.
        return 0;
    }
#endif
}

}  // namespace kavrel
