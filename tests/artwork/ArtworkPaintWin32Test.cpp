// The painter on real windows: a page-like window with a 40 x 40 black-frame static
// (control 1007) and a view-like window, painted through their WM_PAINT handlers, the
// pixels read back from the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "artwork/BitmapBuilder.h"
#include "artwork/win32/ArtworkPainter.h"
#include "artwork/win32/DrawBitmap.h"
#include "support/MemoryFiles.h"

namespace kavrel {
namespace {

constexpr COLORREF kBackground = RGB(0, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// 100 x 50, left half red, right half blue, in any of the supported layouts.
std::string RedBlue(std::uint16_t bits, bool topDown = false, std::uint32_t compression = 0) {
    test::BitmapShape s;
    s.width = 100;
    s.height = topDown ? -50 : 50;
    s.bitCount = bits;
    s.compression = compression;
    const bool indexed = bits <= 8;
    std::uint32_t red = 0xFF0000, blue = 0x0000FF;
    if (indexed) {
        red = 1;
        blue = bits == 1 ? 0 : 2;
        s.colour = [](int i) { return i == 1 ? 0xFF0000u : i == 0 || i == 2 ? 0x0000FFu : 0x777777u; };
    } else if (bits == 16) {
        red = 0x7C00;  // 5-5-5
        blue = 0x001F;
        if (compression == kCompressionBitFields) {
            s.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5
            red = 0xF800;
        }
    } else if (compression == kCompressionBitFields) {
        s.masks = {0xFF0000, 0xFF00, 0xFF};
    }
    s.pixel = [red, blue](int x, int) { return x < 50 ? red : blue; };
    return test::BuildBitmap(s);
}

// What a painted window shows, read from the screen.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Pixels in [x0, x1) x [y0, y1) that are not `colour`.
    int CountOther(int x0, int y0, int x1, int y1, COLORREF colour) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) n += At(x, y) != colour;
        }
        return n;
    }
};

Capture CaptureClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Capture c;
    c.width = client.right;
    c.height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), c.width, -c.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, c.width, c.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* quads = static_cast<const std::uint8_t*>(bits);
    for (int i = 0; i < c.width * c.height; ++i) {
        c.pixels.push_back(RGB(quads[4 * i + 2], quads[4 * i + 1], quads[4 * i]));
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

// The windows' paint handlers, as the pages and the view will have them.
struct Painter {
    test::MemoryFiles platform;
    std::string path;
    bool frame = true;
    int paints = 0;
};

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        auto* painter = reinterpret_cast<Painter*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (painter != nullptr) {
            ++painter->paints;
            if (painter->frame) {
                PaintArtworkFrame(painter->platform, hwnd, kArtworkFrameId, painter->path);
            } else {
                PaintWholeClient(painter->platform, hwnd, painter->path);
            }
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void PumpUntilIdle() {
    for (int round = 0; round < 5; ++round) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(40);
    }
}

class PaintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        background_ = CreateSolidBrush(kBackground);
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = background_;
        wc.lpszClassName = L"KavrelArtworkTest";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() {
        UnregisterClassW(L"KavrelArtworkTest", GetModuleHandleW(nullptr));
        DeleteObject(background_);
    }

    // A topmost, uncovered window of `cx` x `cy` client pixels; with `frame`, a 40 x 40
    // black-frame static at (20, 20) as on the pages.
    HWND Open(int cx, int cy) {
        window_ = CreateWindowExW(WS_EX_TOPMOST, L"KavrelArtworkTest", L"artwork",
                                  WS_POPUP, 60, 60, cx, cy, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        if (painter_.frame) {
            frame_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME,
                                     20, 20, 40, 40, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kArtworkFrameId)),
                                     GetModuleHandleW(nullptr), nullptr);
        }
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&painter_));
        ShowWindow(window_, SW_SHOW);
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        UpdateWindow(window_);
        PumpUntilIdle();
        return window_;
    }

    void Repaint() {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
        PumpUntilIdle();
    }

    void TearDown() override {
        if (window_ != nullptr) DestroyWindow(window_);
        PumpUntilIdle();
    }

    static inline HBRUSH background_ = nullptr;
    Painter painter_;
    HWND window_ = nullptr;
    HWND frame_ = nullptr;
};

// The picture must cover the frame's whole client area, stretched: its left half red,
// its right half blue. The columns at the seam may mix.
void ExpectRedBlueStretched(const Capture& c) {
    const int seam = c.width / 2;
    EXPECT_EQ(0, c.CountOther(0, 0, seam - 2, c.height, kRed));
    EXPECT_EQ(0, c.CountOther(seam + 2, 0, c.width, c.height, kBlue));
    EXPECT_EQ(c.height * 4, c.CountOther(seam - 2, 0, seam + 2, c.height, kBackground));
}

TEST_F(PaintTest, PageFramesShowEveryFormatStretchedTo40By40) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"24-bit", RedBlue(24)},
        {"8-bit palettised", RedBlue(8)},
        {"4-bit", RedBlue(4)},
        {"1-bit", RedBlue(1)},
        {"16-bit", RedBlue(16)},
        {"16-bit bit fields", RedBlue(16, false, kCompressionBitFields)},
        {"32-bit top-down", RedBlue(32, true)},
        {"32-bit bit fields", RedBlue(32, false, kCompressionBitFields)},
        {"8-bit top-down", RedBlue(8, true)},
        {"RLE8", RedBlue(8, false, kCompressionRle8)},
        {"RLE4", RedBlue(4, false, kCompressionRle4)},
    };
    painter_.path = "D:\\medium\\intro.bmp";
    Open(200, 120);
    ASSERT_NE(nullptr, frame_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        painter_.platform.AddFile(painter_.path, c.bytes);
        Repaint();
        const Capture shot = CaptureClient(frame_);
        ASSERT_EQ(40, shot.width);
        ASSERT_EQ(40, shot.height);
        ExpectRedBlueStretched(shot);
    }
    EXPECT_GT(painter_.paints, 0);
}

TEST_F(PaintTest, MissingOrBrokenPictureLeavesTheEmptyBlackFrame) {
    const std::string cases[] = {"", "not a bitmap at all", RedBlue(24).substr(0, 6000)};
    painter_.path = "D:\\medium\\dest.bmp";
    Open(200, 120);
    // First a picture, so that the empty frame must really be repainted.
    painter_.platform.AddFile(painter_.path, RedBlue(24));
    Repaint();
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        if (bytes.empty()) {
            painter_.platform.Remove(painter_.path);
        } else {
            painter_.platform.AddFile(painter_.path, bytes);
        }
        Repaint();
        const Capture shot = CaptureClient(frame_);
        // The frame's edge in the frame colour (black in the classic scheme; Wine draws
        // it in the dark-shadow colour), its inside the page's background.
        const COLORREF edge = shot.At(0, 0);
        EXPECT_TRUE(edge == RGB(0, 0, 0) || edge == GetSysColor(COLOR_3DDKSHADOW) ||
                    edge == GetSysColor(COLOR_WINDOWFRAME))
            << std::hex << edge;
        EXPECT_EQ(0, shot.CountOther(0, 0, 40, 1, edge));
        EXPECT_EQ(0, shot.CountOther(0, 39, 40, 40, edge));
        EXPECT_EQ(0, shot.CountOther(0, 0, 1, 40, edge));
        EXPECT_EQ(0, shot.CountOther(39, 0, 40, 40, edge));
        EXPECT_EQ(0, shot.CountOther(1, 1, 39, 39, kBackground));
    }
}

TEST_F(PaintTest, ViewShowsThePictureOverItsWholeClientArea) {
    painter_.frame = false;
    painter_.path = "D:\\medium\\view.bmp";
    painter_.platform.AddFile(painter_.path, RedBlue(8));
    Open(320, 240);
    ExpectRedBlueStretched(CaptureClient(window_));

    painter_.platform.Remove(painter_.path);
    Repaint();
    const Capture empty = CaptureClient(window_);
    EXPECT_EQ(0, empty.CountOther(0, 0, empty.width, empty.height, kBackground));
}

TEST(CreateBitmapPalette, OneEntryPerColourOrTheStockPalette) {
    struct Case {
        std::uint16_t bits;
        std::uint32_t clrUsed;
        int entries;  // 0: the stock palette
    };
    const Case cases[] = {{8, 0, 256}, {8, 16, 16}, {1, 0, 2}, {4, 0, 16}, {24, 0, 0}, {32, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits * 1000 + c.clrUsed);
        test::BitmapShape s;
        s.bitCount = c.bits;
        s.clrUsed = c.clrUsed;
        LoadedBitmap bmp;
        test::MemoryFiles platform;
        platform.AddFile("D:\\p.bmp", test::BuildBitmap(s));
        ASSERT_EQ(1, LoadBitmapFile(platform, "D:\\p.bmp", bmp));
        const BitmapPalette palette = CreateBitmapPalette(bmp.block);
        ASSERT_NE(nullptr, palette.get());
        if (c.entries == 0) {
            EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), palette.get());
            EXPECT_FALSE(palette.owned());
            continue;
        }
        EXPECT_TRUE(palette.owned());
        std::vector<PALETTEENTRY> got(300);
        ASSERT_EQ(static_cast<UINT>(c.entries), GetPaletteEntries(palette.get(), 0, 300, got.data()));
        const std::uint32_t last = s.colour(c.entries - 1);
        EXPECT_EQ(last >> 16 & 0xFF, got[c.entries - 1].peRed);
        EXPECT_EQ(last >> 8 & 0xFF, got[c.entries - 1].peGreen);
        EXPECT_EQ(last & 0xFF, got[c.entries - 1].peBlue);
        EXPECT_EQ(0, got[c.entries - 1].peFlags);
    }
}

}  // namespace
}  // namespace kavrel
