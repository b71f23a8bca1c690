#include "wizard/IntroDlg.h"

#include "res/resource.h"
#include "wizard/PageArtwork.h"
#include "description/TextNumber.h"

namespace kavrel {

CIntroDlg::CIntroDlg(Platform& platform) : CDialog(IDD_INTRO), m_platform(platform) {}

BOOL CIntroDlg::OnInitDialog() {
    if (AtoiLike(m_strTitleFlag) == 0) SetWindowText("アップデート");
    SetDlgItemText(IDC_PAGE_TEXT, m_strNotes);
    return TRUE;
}

bool CIntroDlg::OnPaint() {
    PaintPageArtwork(m_platform, m_hWnd, m_strArtwork);
    return true;
}

}  // namespace kavrel
