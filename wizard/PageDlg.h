// What the three wizard pages share: the page's picture, read from the medium's folder
// and painted in its artwork frame on every paint.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "platform/Files.h"

namespace kavrel {

class CPageDlg : public CDialog {
public:
    CPageDlg(int templateId, FileReader& files, const std::string& sourceFolder)
        : CDialog(templateId), m_files(files), m_strSourceFolder(sourceFolder) {}

    std::string m_strArtwork;  // the name in info.txt

protected:
    bool OnPaint() override;

    FileReader& m_files;
    std::string m_strSourceFolder;
};

}  // namespace kavrel
