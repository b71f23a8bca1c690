// The pages on a screen at 150 % (144 DPI): Kavrel says it is DPI aware, so Windows
// does not stretch it as a bitmap, and its dialogs scale with their font. Every control
// must stay whole inside its page, none may overlap another, and every text must fit its
// control. A screenshot of each page is kept in the build folder.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "e2e/DemoRun.h"
#include "support/HostPath.h"

namespace kavrel::e2e {
namespace {

constexpr DWORD kDpi = 144;
constexpr int kArtwork = 1007;

// Wine fixes a session's DPI when its server starts, from the user's LogPixels: a value
// written during the session changes nothing. scripts/test runs this test in a session
// of its own started at 144 DPI, and says so with KAVREL_DPI_SESSION; run alone in an
// ordinary session, the test is skipped.
DWORD UserLogPixels() {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                       &value, &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

// The screen under `window`, saved as a 24-bit BMP.
bool SaveScreenshot(HWND window, const std::string& path) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD rowBytes = static_cast<DWORD>((w * 3 + 3) & ~3);
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), imageBytes);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return WriteBytes(Widen(path), bytes);
}

struct Control {
    HWND hwnd;
    int id;
    std::wstring className;
    RECT rect;  // in the page's client coordinates
};

std::vector<Control> ControlsOf(HWND page) {
    std::vector<Control> out;
    for (HWND child = ::GetWindow(page, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        Control c{child, ::GetDlgCtrlID(child), {}, {}};
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        c.className = name;
        ::GetWindowRect(child, &c.rect);
        ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&c.rect), 2);
        out.push_back(c);
    }
    return out;
}

// Height a text needs in `width` pixels with the pages' font at this DPI.
int TextHeight(const std::wstring& text, int width, bool singleLine) {
    const HDC dc = ::GetDC(nullptr);
    const HFONT font = ::CreateFontW(-MulDiv(11, kDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     SHIFTJIS_CHARSET, 0, 0, 0, 0, L"ＭＳ Ｐゴシック");
    const HGDIOBJ old = ::SelectObject(dc, font);
    RECT r{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | (singleLine ? DT_SINGLELINE : DT_WORDBREAK));
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, dc);
    return singleLine ? static_cast<int>(r.right) : static_cast<int>(r.bottom);
}

void ExpectWhole(HWND page, const char* name) {
    SCOPED_TRACE(name);
    RECT client{};
    ::GetClientRect(page, &client);
    const auto controls = ControlsOf(page);
    ASSERT_FALSE(controls.empty());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        SCOPED_TRACE(c.id);
        EXPECT_GE(c.rect.left, client.left);
        EXPECT_GE(c.rect.top, client.top);
        EXPECT_LE(c.rect.right, client.right);
        EXPECT_LE(c.rect.bottom, client.bottom);
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            RECT overlap{};
            EXPECT_FALSE(::IntersectRect(&overlap, &c.rect, &controls[j].rect))
                << "controls " << c.id << " and " << controls[j].id << " overlap";
        }
        // Buttons and fixed texts show their words in full.
        const std::wstring text = Widen(Text(c.hwnd));
        if (text.empty() || c.id == kArtwork || (c.className != L"Button" && c.className != L"Static")) continue;
        const int width = c.rect.right - c.rect.left;
        const int height = c.rect.bottom - c.rect.top;
        if (c.className == L"Button") {
            EXPECT_LE(TextHeight(text, width, true), width) << Narrow(text);
        } else {
            EXPECT_LE(TextHeight(text, width, false), height + 1) << Narrow(text);
        }
    }
}

class HighDpiTest : public DemoRunTest {
protected:
    void SetUp() override {
        if (UserLogPixels() != kDpi) {
            if (std::getenv("KAVREL_DPI_SESSION") != nullptr) {
                FAIL() << "the session was to start at " << kDpi << " DPI; LogPixels is " << UserLogPixels();
            }
            GTEST_SKIP() << "needs a Wine session started at 144 DPI (scripts/test makes one)";
        }
        DemoRunTest::SetUp();
    }
};

TEST_F(HighDpiTest, EveryPageIsWholeAt144Dpi) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    for (const wchar_t* bmp : {L"view.bmp", L"intro.bmp", L"dest.bmp", L"confirm.bmp"}) {
        CopyDemo(std::wstring(L"artwork\\") + bmp, medium_ + L"\\" + bmp);
    }
    auto lines = DemoLines(kInstall);
    lines[20] = "view.bmp";
    lines[21] = "intro.bmp";
    lines[22] = "dest.bmp";
    lines[23] = "confirm.bmp";
    lines[24] = "モルベーン V6.1 の更新です。";
    lines[25] = "モルベーンがインストールされているフォルダを選んで、[次へ] を押してください。";
    ASSERT_TRUE(WriteInfo(medium_, lines));
    const std::string shots = test::HostPath(KAVREL_BINARY_DIR) + "\\e2e-dpi144-";

    auto& kavrel = Start();
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    const auto getDpi = reinterpret_cast<GetDpiForWindowProc>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    struct Page {
        const char* okText;
        const char* name;
    };
    HWND confirm = nullptr;
    for (const Page& page : {Page{kStart, "1-intro"}, Page{kNext, "2-destination"}, Page{kUpdate, "3-confirm"}}) {
        const HWND hwnd = kavrel.WaitPage(page.okText);
        ASSERT_NE(hwnd, nullptr) << page.name;
        ::Sleep(500);
        if (getDpi != nullptr) {
            EXPECT_EQ(getDpi(hwnd), kDpi) << page.name << " is not drawn at the screen's DPI";
        }
        // The smallest page is 215 dialog units wide: well over 400 pixels at 144 DPI.
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        EXPECT_GT(r.right - r.left, 400) << page.name << " did not scale";
        ExpectWhole(hwnd, page.name);
        EXPECT_TRUE(SaveScreenshot(hwnd, shots + page.name + ".bmp"));
        confirm = hwnd;
        if (std::string(page.okText) != kUpdate) Click(hwnd, IDOK);
    }
    PressKey(::GetDlgItem(confirm, IDOK), VK_ESCAPE);
    const HWND back = kavrel.WaitPage(kNext);
    ASSERT_NE(back, nullptr);
    PressKey(::GetDlgItem(back, IDOK), VK_ESCAPE);
    const HWND introAgain = kavrel.WaitPage(kStart);
    ASSERT_NE(introAgain, nullptr);
    Click(introAgain, IDCANCEL);
    EXPECT_EQ(kavrel.WaitExit(), kLeftBeforeTheRun);
}

}  // namespace
}  // namespace kavrel::e2e
