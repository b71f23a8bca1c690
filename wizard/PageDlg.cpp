#include "wizard/PageDlg.h"

#include "wizard/PageArtwork.h"

namespace kavrel {

bool CPageDlg::OnPaint() {
    PaintPageArtwork(m_files, m_hWnd, m_strSourceFolder + m_strArtwork);
    return true;
}

}  // namespace kavrel
