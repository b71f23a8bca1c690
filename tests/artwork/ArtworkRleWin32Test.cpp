// Run-length-encoded artwork through GDI: the painter draws an RLE8 or RLE4 file
// exactly as it draws the same picture stored plain, and its decoding agrees with GDI's
// own on every command, clipping included. Drawn off screen into 32-bit DIB sections.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "artwork/BitmapBuilder.h"
#include "artwork/RleCases.h"
#include "artwork/win32/DrawBitmap.h"
#include "support/MemoryFiles.h"

namespace kavrel {
namespace {

constexpr const char* kPath = "D:\\medium\\pic.bmp";

// What `draw` leaves on a width x height 32-bit surface first filled with `background`,
// as 0xRRGGBB per pixel, top row first.
std::vector<std::uint32_t> Offscreen(int width, int height, COLORREF background,
                                     const std::function<void(HDC)>& draw) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    HBRUSH brush = CreateSolidBrush(background);
    const RECT all{0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    draw(memory);
    GdiFlush();
    const auto* quads = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(quads, quads + static_cast<std::size_t>(width) * height);
    for (auto& p : pixels) p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    return pixels;
}

// The file drawn by the painter into a rectangle of width x height.
std::vector<std::uint32_t> Painted(const std::string& file, int width, int height) {
    test::MemoryFiles platform;
    platform.AddFile(kPath, file);
    return Offscreen(width, height, RGB(0, 128, 0), [&](HDC dc) {
        const RECT rect{0, 0, width, height};
        EXPECT_EQ(1, DrawBitmapFile(platform, dc, rect, kPath, SRCCOPY));
    });
}

// Colour index i of the builder's default table, as GDI would show it.
COLORREF TableColour(int i) {
    const std::uint32_t rgb = test::BitmapShape().colour(i);
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

TEST(RleArtwork, PaintsTheSamePixelsAsThePlainPicture) {
    struct Case {
        const char* name;
        test::BitmapShape shape;
    };
    std::vector<Case> cases;
    for (std::uint16_t bits : {std::uint16_t{8}, std::uint16_t{4}}) {
        test::BitmapShape s = test::RleShape(bits, 37, 23);
        s.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x / 4 + y / 3) % 9 + (x == y)); };
        s.colour = [](int i) { return static_cast<std::uint32_t>(0x3F1F00 * (i % 5) + 0x00204F * (i % 3)); };
        cases.push_back({bits == 8 ? "RLE8 picture" : "RLE4 picture", s});
    }
    for (const test::RleCommandCase& c : test::RleCommandCases()) {
        cases.push_back({c.name, test::RleShape(c.bits, c.width, c.height, c.runs.data)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedBitmap decoded;
        test::MemoryFiles platform;
        platform.AddFile(kPath, test::BuildBitmap(c.shape));
        ASSERT_EQ(1, LoadBitmapFile(platform, kPath, decoded));
        // The same picture, plain: what the loaded block says, pixel by pixel.
        test::BitmapShape plain = c.shape;
        plain.compression = kCompressionRgb;
        plain.rle.clear();
        plain.pixel = [&decoded](int x, int y) { return test::LoadedPixel(decoded, x, y); };
        for (const SIZE size : {SIZE{c.shape.width, c.shape.height}, SIZE{40, 40}, SIZE{150, 97}}) {
            SCOPED_TRACE(size.cx * 1000 + size.cy);
            EXPECT_EQ(Painted(test::BuildBitmap(plain), size.cx, size.cy),
                      Painted(test::BuildBitmap(c.shape), size.cx, size.cy));
        }
    }
}

// GDI decodes RLE itself when given the compressed bits; where it leaves a skipped pixel
// untouched, the surface shows colour 0 of the table, which is what the loader puts there.
TEST(RleArtwork, DecodingAgreesWithGdisOwn) {
    for (const test::RleCommandCase& c : test::RleCommandCases()) {
        SCOPED_TRACE(c.name);
        test::BitmapShape shape = test::RleShape(c.bits, c.width, c.height, c.runs.data);
        shape.sizeImage = static_cast<std::uint32_t>(c.runs.data.size());  // GDI needs it
        const std::string file = test::BuildBitmap(shape);
        const std::uint32_t offBits = static_cast<std::uint8_t>(file[10]) |
                                      static_cast<std::uint8_t>(file[11]) << 8;
        const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + 14);
        const std::vector<std::uint32_t> gdi =
            Offscreen(c.width, c.height, TableColour(0), [&](HDC dc) {
                StretchDIBits(dc, 0, 0, c.width, c.height, 0, 0, c.width, c.height,
                              file.data() + offBits, info, DIB_RGB_COLORS, SRCCOPY);
            });
        EXPECT_EQ(gdi, Painted(file, c.width, c.height));
    }
}

}  // namespace
}  // namespace kavrel
