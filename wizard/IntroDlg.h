// The first page: the update's notes, 開始 to go on, 取消 to end the program.
#pragma once

#include <string>

#include "wizard/PageDlg.h"

namespace kavrel {

class CIntroDlg : public CPageDlg {
public:
    CIntroDlg(FileReader& files, const std::string& sourceFolder);

    std::string m_strNotes;
    std::string m_strTitleFlag;

protected:
    BOOL OnInitDialog() override;
};

}  // namespace kavrel
