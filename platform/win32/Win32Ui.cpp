// Message boxes, the wait cursor, the progress window and the log of the Win32 platform.
#include "platform/win32/Win32Platform.h"

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

MessageAnswer Win32Platform::ShowMessage(const std::string& text, const std::string& caption,
                                         MessageButtons buttons) {
    MessageAnswer answer = MessageAnswer::Ok;
    if (unattended_) {
        // Nothing is shown: a notice counts as read, a question stays unanswered.
        if (buttons == MessageButtons::OkCancel) answer = MessageAnswer::NoOneToAsk;
        Log("message (not shown) [" + caption + "] " + text + " -> " + AnswerName(answer));
        return answer;
    }
    // The product's boxes carry no icon.
    const UINT style = buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    const int pressed = ::MessageBoxW(owner_, Widen(text).c_str(), Widen(caption).c_str(), style);
    answer = pressed == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
    if (waitCursors > 0) ::SetCursor(WaitShape());
    Log("message [" + caption + "] " + text + " -> " + AnswerName(answer));
    return answer;
}

std::unique_ptr<WaitCursor> Win32Platform::BeginWaitCursor() {
    return std::make_unique<Win32WaitCursor>(waitCursors);
}

std::unique_ptr<RunProgress> Win32Platform::BeginProgress(const std::string& title) {
    if (presenter_ != nullptr && !unattended_) {
        if (auto shown = presenter_->Show(title)) return shown;
    }
    return std::make_unique<NoProgress>();
}

void Win32Platform::Log(const std::string& event) {
    if (log_ == nullptr || log_->Write(event) || logFailureReported_) return;
    // A log that cannot be written never stops the update; the user hears of it once.
    logFailureReported_ = true;
    if (!unattended_) {
        ::MessageBoxW(owner_, L"記録ファイルに書き込めなくなりました。更新はこのまま続けます。", L"確認", MB_OK);
        if (waitCursors > 0) ::SetCursor(WaitShape());
    }
}

}  // namespace kavrel
