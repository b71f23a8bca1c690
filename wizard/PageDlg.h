// What the three wizard pages share: the platform and the page's picture, painted in its
// artwork frame from the Source folder on every paint.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "platform/Platform.h"

namespace kavrel {

class CPageDlg : public CDialog {
public:
    CPageDlg(int templateId, Platform& platform) : CDialog(templateId), m_platform(platform) {}

    std::string m_strArtwork;

protected:
    bool OnPaint() override;

    Platform& m_platform;
};

}  // namespace kavrel
