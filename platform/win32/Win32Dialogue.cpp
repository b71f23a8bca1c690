#include "platform/win32/Win32Dialogue.h"

#include "platform/win32/Win32Text.h"

namespace kavrel {

namespace {

HCURSOR WaitShape() { return ::LoadCursorW(nullptr, IDC_WAIT); }

// Restores the cursor it replaced, so nested wait cursors unwind in order.
class Win32WaitCursor : public WaitCursor {
public:
    explicit Win32WaitCursor(int& count) : count_(count), previous_(::SetCursor(WaitShape())) { ++count_; }
    ~Win32WaitCursor() override {
        --count_;
        ::SetCursor(previous_);
    }
    Win32WaitCursor(const Win32WaitCursor&) = delete;
    Win32WaitCursor& operator=(const Win32WaitCursor&) = delete;

private:
    int& count_;
    HCURSOR previous_;
};

class NoProgress : public RunProgress {
public:
    void Item(int, int, const std::string&, bool) override {}
    void Bytes(std::uint64_t, std::uint64_t) override {}
};

const char* AnswerName(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok: return "OK";
    case MessageAnswer::Cancel: return "Cancel";
    case MessageAnswer::NoOneToAsk: return "none (no one to ask)";
    }
    return "?";
}

}  // namespace

MessageAnswer Win32Dialogue::ShowMessage(const std::string& text, const std::string& caption,
                                         MessageButtons buttons) {
    MessageAnswer answer = MessageAnswer::Ok;
    if (unattended_) {
        // Nothing is shown: a notice counts as read, a question stays unanswered.
        if (buttons == MessageButtons::OkCancel) answer = MessageAnswer::NoOneToAsk;
        log_.Log("message (not shown) [" + caption + "] " + text + " -> " + AnswerName(answer));
        return answer;
    }
    // The product's boxes carry no icon.
    const UINT style = buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    const int pressed = ::MessageBoxW(owner_, Widen(text).c_str(), Widen(caption).c_str(), style);
    answer = pressed == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
    // A message box's own loop shows the arrow: the wait cursor comes back after it.
    if (waitCursors_ > 0) ::SetCursor(WaitShape());
    log_.Log("message [" + caption + "] " + text + " -> " + AnswerName(answer));
    return answer;
}

void Win32Dialogue::Notify(const std::string& text, const std::string& caption) {
    if (unattended_) return;
    ::MessageBoxW(owner_, Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
    if (waitCursors_ > 0) ::SetCursor(WaitShape());
}

std::unique_ptr<WaitCursor> Win32Dialogue::BeginWaitCursor() { return std::make_unique<Win32WaitCursor>(waitCursors_); }

std::unique_ptr<RunProgress> Win32Dialogue::BeginProgress(const std::string& title) {
    if (presenter_ != nullptr && !unattended_) {
        if (auto shown = presenter_->Show(title)) return shown;
    }
    return std::make_unique<NoProgress>();
}

}  // namespace kavrel
