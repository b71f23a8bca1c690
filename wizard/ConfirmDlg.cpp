#include "wizard/ConfirmDlg.h"

#include "res/resource.h"
#include "wizard/PageArtwork.h"

namespace kavrel {

CConfirmDlg::CConfirmDlg(Platform& platform) : CDialog(IDD_CONFIRM), m_platform(platform) {}

BOOL CConfirmDlg::OnInitDialog() {
    SetDlgItemText(IDC_PAGE_TEXT, m_strFolder);
    return TRUE;
}

bool CConfirmDlg::OnPaint() {
    PaintPageArtwork(m_platform, m_hWnd, m_strArtwork);
    return true;
}

}  // namespace kavrel
