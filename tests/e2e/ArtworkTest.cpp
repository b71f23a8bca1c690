// The pictures of the real program: the view's backdrop (24-bit) and the intro page's
// frame (RLE8), read back from the screen while Kavrel shows them.
#include <windows.h>

#include "artwork/RleCases.h"
#include "e2e/KavrelFixture.h"

namespace kavrel::e2e {
namespace {

// A 100 x 50, 24-bit picture: left half red, right half blue.
std::string RedBlueBitmap() {
    const int width = 100, height = 50, row = width * 3;  // 300: already a multiple of 4
    std::string bmp(54 + row * height, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char* p = &bmp[54 + y * row + x * 3];  // blue, green, red
            p[0] = static_cast<char>(x < width / 2 ? 0 : 255);
            p[2] = static_cast<char>(x < width / 2 ? 255 : 0);
        }
    }
    return bmp;
}

// The same picture as the vendors' small artwork: 8-bit, run-length encoded (RLE8).
std::string RedBlueRle8Bitmap() {
    test::BitmapShape s = test::RleShape(8, 100, 50);
    s.clrUsed = 2;
    s.colour = [](int i) { return i == 0 ? 0xFF0000u : 0x0000FFu; };
    s.pixel = [](int x, int) { return x < 50 ? 0u : 1u; };
    return test::BuildBitmap(s);
}

COLORREF ScreenPixel(int x, int y) {
    const HDC screen = ::GetDC(nullptr);
    const COLORREF c = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return c;
}

bool IsRed(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }
bool IsBlue(COLORREF c) { return GetBValue(c) > 200 && GetGValue(c) < 60 && GetRValue(c) < 60; }

bool WaitPixel(int x, int y, bool (*is)(COLORREF)) {
    for (int i = 0; i < 100; ++i) {
        if (is(ScreenPixel(x, y))) return true;
        ::Sleep(50);
    }
    return false;
}

using ArtworkTest = KavrelTest;

TEST_F(ArtworkTest, ViewAndIntroFrameShowTheirPicturesStretched) {
    ASSERT_TRUE(WriteBytes(medium_ + L"\\redblue.bmp", RedBlueBitmap()));
    ASSERT_TRUE(WriteBytes(medium_ + L"\\redblue8.bmp", RedBlueRle8Bitmap()));
    auto lines = BlankInfoLines();
    lines[20] = "redblue.bmp";   // view
    lines[21] = "redblue8.bmp";  // intro frame
    ASSERT_TRUE(WriteInfo(medium_, lines));
    auto& kavrel = Start();
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    const HWND frame = kavrel.WaitWindow(L"KavrelFrame", L"");
    ASSERT_NE(frame, nullptr);

    // The view: its whole client area, the picture stretched to it.
    RECT client{};
    ::GetClientRect(frame, &client);
    POINT left{4, client.bottom / 2}, right{client.right - 4, client.bottom / 2};
    ::ClientToScreen(frame, &left);
    ::ClientToScreen(frame, &right);
    EXPECT_TRUE(WaitPixel(left.x, left.y, IsRed)) << std::hex << ScreenPixel(left.x, left.y);
    EXPECT_TRUE(WaitPixel(right.x, right.y, IsBlue)) << std::hex << ScreenPixel(right.x, right.y);

    // The intro page's frame (control 1007): red on its left, blue on its right.
    RECT box{};
    ::GetWindowRect(::GetDlgItem(intro, 1007), &box);
    const int midY = (box.top + box.bottom) / 2;
    EXPECT_TRUE(WaitPixel(box.left + 3, midY, IsRed)) << std::hex << ScreenPixel(box.left + 3, midY);
    EXPECT_TRUE(WaitPixel(box.right - 4, midY, IsBlue)) << std::hex << ScreenPixel(box.right - 4, midY);
}

TEST_F(ArtworkTest, AMissingPictureLeavesTheFrameEmptyAndThePageWorking) {
    auto lines = BlankInfoLines();
    lines[21] = "missing.bmp";
    ASSERT_TRUE(WriteInfo(medium_, lines));
    auto& kavrel = Start();
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    ::Sleep(300);
    RECT box{};
    ::GetWindowRect(::GetDlgItem(intro, 1007), &box);
    const COLORREF inside = ScreenPixel((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    EXPECT_FALSE(IsRed(inside) || IsBlue(inside));
    Click(intro, IDCANCEL);
    EXPECT_EQ(kavrel.WaitExit(), kLeftBeforeTheRun);
}

}  // namespace
}  // namespace kavrel::e2e
