// The GDI side of the artwork: a palette for a loaded bitmap, and the painter that
// loads a .bmp file and stretches the whole picture into a rectangle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "platform/Files.h"

namespace kavrel {

// A palette for one paint. A palette made from a colour table is deleted when the
// object goes away; the stock default palette is only borrowed. It must not be
// selected into a device context any longer when the object goes away.
class BitmapPalette {
public:
    BitmapPalette() = default;
    BitmapPalette(HPALETTE palette, bool owned) : palette_(palette), owned_(owned) {}
    ~BitmapPalette() { Reset(); }
    BitmapPalette(BitmapPalette&& other) noexcept
        : palette_(other.palette_), owned_(other.owned_) {
        other.palette_ = nullptr;
        other.owned_ = false;
    }
    BitmapPalette& operator=(BitmapPalette&& other) noexcept {
        if (this != &other) {
            Reset();
            palette_ = other.palette_;
            owned_ = other.owned_;
            other.palette_ = nullptr;
            other.owned_ = false;
        }
        return *this;
    }
    BitmapPalette(const BitmapPalette&) = delete;
    BitmapPalette& operator=(const BitmapPalette&) = delete;

    HPALETTE get() const { return palette_; }
    bool owned() const { return owned_; }

private:
    void Reset() {
        if (owned_ && palette_ != nullptr) DeleteObject(palette_);
        palette_ = nullptr;
        owned_ = false;
    }
    HPALETTE palette_ = nullptr;
    bool owned_ = false;
};

// The palette of a loaded block (see LoadBitmapFile): one entry per colour-table entry,
// the stock DEFAULT_PALETTE when the block has no table, or none (null) when the
// palette cannot be made.
BitmapPalette CreateBitmapPalette(std::span<const std::uint8_t> block) noexcept;

// Loads the .bmp file at `path` (read afresh through `files`) and stretches the whole
// picture into `rect` of `dc`: destination width `rect.right`, height `rect.bottom`
// (callers pass client rectangles, whose left and top are 0), colours as RGB values,
// raster operation `rop`, the device context's own stretch mode. The picture's palette
// is selected and realised for the transfer and the previous one selected back.
// 1 when the file was loaded and drawn; 0 when it could not be used, and nothing is drawn.
int DrawBitmapFile(FileReader& files, HDC dc, const RECT& rect, const std::string& path,
                   DWORD rop) noexcept;

}  // namespace kavrel
