#include "artwork/win32/ArtworkPainter.h"

#include "artwork/win32/DrawBitmap.h"

namespace kavrel {

namespace {

// BeginPaint .. EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// GetDC .. ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace

void PaintArtworkFrame(FileReader& files, HWND dialog, int controlId,
                       const std::string& path) noexcept {
    const PaintScope paint(dialog);
    const HWND control = GetDlgItem(dialog, controlId);
    if (control == nullptr) return;
    // Released before painting ends (destroyed first).
    const WindowDc controlDc(control);
    if (controlDc.dc() == nullptr) return;
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
    RECT client{};
    GetClientRect(control, &client);
    DrawBitmapFile(files, controlDc.dc(), client, path, SRCCOPY);
}

void PaintWholeClient(FileReader& files, HWND view, const std::string& path) noexcept {
    const PaintScope paint(view);
    if (paint.dc() == nullptr) return;
    RECT client{};
    GetClientRect(view, &client);
    DrawBitmapFile(files, paint.dc(), client, path, SRCCOPY);
}

}  // namespace kavrel
