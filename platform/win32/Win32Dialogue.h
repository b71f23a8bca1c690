// The user dialogue on Win32: message boxes owned by the view, the wait cursor, the
// wizard's progress window. Unattended, nothing is shown: each message is logged with
// the answer taken, and a question gets none.
#pragma once

#include <windows.h>

#include "platform/Dialogue.h"
#include "platform/EventLog.h"

namespace kavrel {

// Shows the progress of a run (the wizard's progress window).
class ProgressPresenter {
public:
    virtual ~ProgressPresenter() = default;
    // Null when the window cannot be made.
    virtual std::unique_ptr<RunProgress> Show(const std::string& title) = 0;
};

class Win32Dialogue : public UserDialogue {
public:
    explicit Win32Dialogue(EventLog& log) : log_(log) {}

    // Message boxes are owned by this window (the view).
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }
    void SetUnattended(bool unattended) { unattended_ = unattended; }
    bool Unattended() const { return unattended_; }
    void SetProgressPresenter(ProgressPresenter* presenter) { presenter_ = presenter; }
    // Wait cursors alive now: a view keeps showing the wait cursor while one is held.
    bool WaitCursorShown() const { return waitCursors_ > 0; }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    std::unique_ptr<WaitCursor> BeginWaitCursor() override;
    std::unique_ptr<RunProgress> BeginProgress(const std::string& title) override;

    // A box of Kavrel's own, not the run's (the log cannot be written): not logged.
    void Notify(const std::string& text, const std::string& caption);

private:
    EventLog& log_;
    HWND owner_ = nullptr;
    bool unattended_ = false;
    ProgressPresenter* presenter_ = nullptr;
    int waitCursors_ = 0;
};

}  // namespace kavrel
