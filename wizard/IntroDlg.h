// The first page: the update's notes, 開始 to go on, 取消 to end the program.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "platform/Platform.h"

namespace kavrel {

class CIntroDlg : public CDialog {
public:
    explicit CIntroDlg(Platform& platform);

    std::string m_strNotes;
    std::string m_strArtwork;
    std::string m_strTitleFlag;

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;

private:
    Platform& m_platform;
};

}  // namespace kavrel
