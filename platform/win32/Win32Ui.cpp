// Message boxes and the wait cursor of the Win32 platform.
#include "platform/win32/Win32Platform.h"

namespace kavrel {

namespace {

// Restores the cursor it replaced, so nested wait cursors unwind in order.
class Win32WaitCursor : public WaitCursor {
public:
    Win32WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~Win32WaitCursor() override { ::SetCursor(previous_); }
    Win32WaitCursor(const Win32WaitCursor&) = delete;
    Win32WaitCursor& operator=(const Win32WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace

MessageAnswer Win32Platform::ShowMessage(const std::string& text, const std::string& caption,
                                         MessageButtons buttons) {
    // The product's boxes carry no icon.
    const UINT style = buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    const int answer = ::MessageBoxW(owner_, Widen(text).c_str(), Widen(caption).c_str(), style);
    return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::unique_ptr<WaitCursor> Win32Platform::BeginWaitCursor() {
    return std::make_unique<Win32WaitCursor>();
}

}  // namespace kavrel
