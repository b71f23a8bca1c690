// The painter reading real files through the Win32 platform, as Kavrel.exe does:
// UTF-8 paths with Japanese names, files read afresh on every paint.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "artwork/BitmapBuilder.h"
#include "artwork/win32/DrawBitmap.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {
namespace {

// A file in the temp folder, deleted when the object goes away.
class TempFile {
public:
    TempFile(const std::string& name, const std::string& bytes) {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        path_ = Narrow(folder) + name;
        Write(bytes);
    }
    ~TempFile() { DeleteFileW(Widen(path_).c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const std::string& bytes) const {
        HANDLE file = CreateFileW(Widen(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(bytes.size(), written);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A 20 x 10 memory bitmap to draw on.
class MemoryCanvas {
public:
    MemoryCanvas() {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, 20, 10);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~MemoryCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

std::string Plain(std::uint32_t rgb, std::uint16_t bits) {
    test::BitmapShape s;
    s.width = 70;  // 70 x 200 x 24 bits: 42,400 bytes of pixels, two chunks
    s.height = 200;
    s.bitCount = bits;
    s.colour = [rgb](int) { return rgb; };
    s.pixel = [rgb, bits](int, int) { return bits <= 8 ? 0u : rgb; };
    return test::BuildBitmap(s);
}

TEST(DrawBitmapFileWin32, ReadsTheFileAfreshOnEveryPaint) {
    Win32Files platform;
    const TempFile file("kavrel-artwork-\xE7\xB5\xB5.bmp", Plain(0xFF0000, 24));  // 絵
    MemoryCanvas canvas;
    const RECT rect{0, 0, 20, 10};

    EXPECT_EQ(1, DrawBitmapFile(platform, canvas.dc(), rect, file.Path(), SRCCOPY));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc(), 10, 5));

    file.Write(Plain(0x0000FF, 8));
    EXPECT_EQ(1, DrawBitmapFile(platform, canvas.dc(), rect, file.Path(), SRCCOPY));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(canvas.dc(), 10, 5));
    // The picture's own palette was selected for the transfer only.
    EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), GetCurrentObject(canvas.dc(), OBJ_PAL));

    // One byte short: nothing drawn, the blue stays.
    const std::string red = Plain(0xFF0000, 24);
    file.Write(red.substr(0, red.size() - 1));
    EXPECT_EQ(0, DrawBitmapFile(platform, canvas.dc(), rect, file.Path(), SRCCOPY));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(canvas.dc(), 10, 5));

    EXPECT_EQ(0, DrawBitmapFile(platform, canvas.dc(), rect, file.Path() + ".missing", SRCCOPY));
}

}  // namespace
}  // namespace kavrel
