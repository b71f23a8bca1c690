// The last page before the run: shows the chosen folder; 更新 runs the update,
// 戻る (the cancel button) goes back to the destination page.
#pragma once

#include <string>

#include "wizard/PageDlg.h"

namespace kavrel {

class CConfirmDlg : public CPageDlg {
public:
    CConfirmDlg(FileReader& files, const std::string& sourceFolder);

    std::string m_strFolder;

protected:
    BOOL OnInitDialog() override;
};

}  // namespace kavrel
