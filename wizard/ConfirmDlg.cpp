#include "wizard/ConfirmDlg.h"

#include "res/resource.h"

namespace kavrel {

CConfirmDlg::CConfirmDlg(Platform& platform) : CPageDlg(IDD_CONFIRM, platform) {}

BOOL CConfirmDlg::OnInitDialog() {
    SetDlgItemText(IDC_PAGE_TEXT, m_strFolder);
    return TRUE;
}

}  // namespace kavrel
