#include "wizard/IntroDlg.h"

#include "description/TextNumber.h"
#include "res/resource.h"

namespace kavrel {

CIntroDlg::CIntroDlg(FileReader& files, const std::string& sourceFolder)
    : CPageDlg(IDD_INTRO, files, sourceFolder) {}

BOOL CIntroDlg::OnInitDialog() {
    if (AtoiLike(m_strTitleFlag) == 0) SetWindowText("アップデート");
    SetDlgItemText(IDC_PAGE_TEXT, m_strNotes);
    return TRUE;
}

}  // namespace kavrel
