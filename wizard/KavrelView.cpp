#include "wizard/KavrelView.h"

#include "app/SourceFolder.h"
#include "description/InfoFile.h"
#include "update/UpdateRun.h"
#include "wizard/Commands.h"
#include "wizard/ConfirmDlg.h"
#include "wizard/DestinationDlg.h"
#include "wizard/IntroDlg.h"
#include "wizard/PageArtwork.h"

namespace kavrel {
namespace {
constexpr wchar_t kViewClass[] = L"KavrelView";
constexpr int kViewId = 0xE900;  // the first pane of a frame
}  // namespace

bool CKavrelView::Create(HWND parent, const RECT& rect) {
    if (!RegisterClassOnce(kViewClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) {
        return false;
    }
    return CreateEx(0, kViewClass, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent, kViewId);
}

int CKavrelView::OnCreate() {
    m_platform.SetOwner(m_hWnd);
    ReadInfoFile(m_platform, SourceFolder(), m_desc);
    PostCommand(ID_PAGE_INTRO);
    return 0;
}

bool CKavrelView::OnCommand(int id, int /*code*/, HWND /*control*/) {
    switch (id) {
    case ID_PAGE_INTRO:
        OnPageIntro();
        return true;
    case ID_PAGE_DESTINATION:
        OnPageDestination();
        return true;
    case ID_PAGE_CONFIRM:
        OnPageConfirm();
        return true;
    default:
        return false;
    }
}

bool CKavrelView::OnPaint() {
    PaintViewArtwork(m_platform, m_hWnd, m_desc.m_strViewArtwork);
    return true;
}

void CKavrelView::CloseMainFrame() const {
    ::PostMessageW(::GetParent(m_hWnd), WM_CLOSE, 0, 0);
}

void CKavrelView::OnPageIntro() {
    CIntroDlg page(m_platform);
    page.m_strNotes = m_desc.m_strIntroNotes;
    page.m_strArtwork = m_desc.m_strIntroArtwork;
    page.m_strTitleFlag = m_desc.m_strIntroTitleFlag;
    if (page.DoModal() == IDOK) {
        PostCommand(ID_PAGE_DESTINATION);
    } else {
        CloseMainFrame();
    }
}

void CKavrelView::OnPageDestination() {
    CDestinationDlg page(m_platform);
    page.m_strNotes = m_desc.m_strDestNotes;
    page.m_strFolder = m_desc.m_strDestFolder;
    page.m_strArtwork = m_desc.m_strDestArtwork;
    switch (page.DoModal()) {
    case IDOK:
        m_desc.m_strDestFolder = page.m_strFolder;
        PostCommand(ID_PAGE_CONFIRM);
        break;
    case IDBACK_PAGE:
    case IDCANCEL:  // Escape goes back too: the main window alone has no way out
        PostCommand(ID_PAGE_INTRO);
        break;
    default:
        break;
    }
}

void CKavrelView::OnPageConfirm() {
    CConfirmDlg page(m_platform);
    page.m_strFolder = m_desc.m_strDestFolder;
    page.m_strArtwork = m_desc.m_strConfirmArtwork;
    switch (page.DoModal()) {
    case IDOK:
        if (RunUpdate() == 1) {
            CloseMainFrame();
        } else {
            PostCommand(ID_PAGE_DESTINATION);
        }
        break;
    case IDCANCEL:
        PostCommand(ID_PAGE_DESTINATION);
        break;
    default:
        break;
    }
}

int CKavrelView::RunUpdate() { return kavrel::RunUpdate(m_platform, m_desc, SourceFolder()); }

}  // namespace kavrel
