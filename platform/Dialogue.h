// The run's dialogue with the person at the computer: message boxes, the wait cursor and
// the progress window. An unattended run has no one to talk to: its implementation
// logs each message with the answer taken and shows nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kavrel {

enum class MessageButtons { Ok, OkCancel };
// NoOneToAsk: an unattended run shows no box, so a question gets no answer.
enum class MessageAnswer { Ok = 1, Cancel = 2, NoOneToAsk = 3 };

// The wait cursor, on while the object lives.
class WaitCursor {
public:
    virtual ~WaitCursor() = default;
};

// The progress of a run as its watcher sees it, shown while the object lives.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // `checking`: the item's archive is being tested before anything is installed.
    virtual void Item(int number, int count, const std::string& name, bool checking) = 0;
    virtual void Bytes(std::uint64_t done, std::uint64_t total) = 0;
};

class UserDialogue {
public:
    virtual ~UserDialogue() = default;
    // A modal message box owned by the view, no icon.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageButtons buttons) = 0;
    virtual std::unique_ptr<WaitCursor> BeginWaitCursor() = 0;
    // Never null: where no window can show it, the progress goes nowhere.
    virtual std::unique_ptr<RunProgress> BeginProgress(const std::string& title) = 0;
};

}  // namespace kavrel
