#include "wizard/ConfirmDlg.h"

#include "res/resource.h"

namespace kavrel {

CConfirmDlg::CConfirmDlg(FileReader& files, const std::string& sourceFolder)
    : CPageDlg(IDD_CONFIRM, files, sourceFolder) {}

BOOL CConfirmDlg::OnInitDialog() {
    SetDlgItemText(IDC_PAGE_TEXT, m_strFolder);
    return TRUE;
}

}  // namespace kavrel
