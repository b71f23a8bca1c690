// The last page before the run: shows the chosen folder; 更新 runs the update,
// 戻る (the cancel button) goes back to the destination page.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "platform/Platform.h"

namespace kavrel {

class CConfirmDlg : public CDialog {
public:
    explicit CConfirmDlg(Platform& platform);

    std::string m_strFolder;
    std::string m_strArtwork;

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;

private:
    Platform& m_platform;
};

}  // namespace kavrel
