// The progress window of an update run: over the view, owned by the main window, with
// the update's title, the item being worked on and a bar of its compressed bytes read.
// It lets the windows repaint between reports but takes no input, and has no Cancel.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "platform/Dialogue.h"

namespace kavrel {

class CProgressDlg : public CDialog, public RunProgress {
public:
    explicit CProgressDlg(std::string title);
    // Creates and shows it without taking the focus; false when it could not be made.
    bool Create();

    void Item(int number, int count, const std::string& name, bool checking) override;
    void Bytes(std::uint64_t done, std::uint64_t total) override;

protected:
    BOOL OnInitDialog() override;

private:
    std::string m_strTitle;
    int m_nPosition = -1;
    std::uint64_t m_nLastDrawn = 0;
};

}  // namespace kavrel
