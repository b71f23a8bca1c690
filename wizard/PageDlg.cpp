#include "wizard/PageDlg.h"

#include "wizard/PageArtwork.h"

namespace kavrel {

bool CPageDlg::OnPaint() {
    PaintPageArtwork(m_platform, m_hWnd, m_strArtwork);
    return true;
}

}  // namespace kavrel
