#include "wizard/KavrelView.h"

#include "description/InfoFile.h"
#include "platform/Text.h"
#include "wizard/Commands.h"
#include "wizard/ConfirmDlg.h"
#include "wizard/DestinationDlg.h"
#include "wizard/IntroDlg.h"
#include "wizard/PageArtwork.h"
#include "wizard/ProgressDlg.h"

namespace kavrel {
namespace {
constexpr wchar_t kViewClass[] = L"KavrelView";
constexpr int kViewId = 0xE900;  // the first pane of a frame
}  // namespace

bool CKavrelView::Create(HWND parent, const RECT& rect) {
    // Redrawn whole on every size change: the picture is stretched to the whole view.
    if (!RegisterClassOnce(kViewClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                           CS_HREDRAW | CS_VREDRAW)) {
        return false;
    }
    return CreateEx(0, kViewClass, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent, kViewId);
}

CKavrelView::~CKavrelView() {
    m_seams.SetOwner(nullptr);
    m_seams.user.SetProgressPresenter(nullptr);
}

int CKavrelView::OnCreate() {
    m_seams.SetOwner(m_hWnd);
    m_seams.user.SetProgressPresenter(this);
    if (ReadInfoFile(m_seams.files, m_strSourceFolder, m_desc) == 1) {
        m_seams.log.Log(DescribeForLog(m_desc));
    } else {
        m_seams.log.Log("info.txt cannot be read: the wizard runs with empty texts and no items");
    }
    if (!m_strProposedFolder.empty()) m_desc.m_strDestFolder = m_strProposedFolder;
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
    PaintViewArtwork(m_seams.files, m_hWnd, m_strSourceFolder + m_desc.m_strViewArtwork);
    return true;
}

LRESULT CKavrelView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // While a run holds the wait cursor, the mouse over the view keeps it.
    if (msg == WM_SETCURSOR && m_seams.user.WaitCursorShown()) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

std::unique_ptr<RunProgress> CKavrelView::Show(const std::string& title) {
    auto window = std::make_unique<CProgressDlg>(title);
    if (!window->Create()) return nullptr;
    return window;
}

void CKavrelView::CloseMainFrame(ExitCode code) {
    m_exitCode = code;
    ::PostMessageW(::GetParent(m_hWnd), WM_CLOSE, 0, 0);
}

void CKavrelView::PageFailed() {
    m_seams.log.Log("a page could not be shown: the program ends");
    CloseMainFrame(ExitCode::StartFailed);
}

void CKavrelView::OnPageIntro() {
    CIntroDlg page(m_seams.files, m_strSourceFolder);
    page.m_strNotes = m_desc.m_strIntroNotes;
    page.m_strArtwork = m_desc.m_strIntroArtwork;
    page.m_strTitleFlag = m_desc.m_strIntroTitleFlag;
    const INT_PTR result = page.DoModal();
    if (result == IDOK) {
        PostCommand(ID_PAGE_DESTINATION);
    } else if (result == -1) {
        PageFailed();
    } else {
        // Left before an update ran, or after the last run was refused.
        CloseMainFrame(m_lastOutcome ? ExitCodeFor(*m_lastOutcome) : ExitCode::LeftBeforeTheRun);
    }
}

void CKavrelView::OnPageDestination() {
    CDestinationDlg page(m_seams.files, m_seams.files, m_seams.user, m_strSourceFolder);
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
        PageFailed();
        break;
    }
}

void CKavrelView::OnPageConfirm() {
    CConfirmDlg page(m_seams.files, m_strSourceFolder);
    page.m_strFolder = m_desc.m_strDestFolder;
    page.m_strArtwork = m_desc.m_strConfirmArtwork;
    switch (page.DoModal()) {
    case IDOK:
        if (RunUpdate() == 1) {
            CloseMainFrame(ExitCodeFor(*m_lastOutcome));
        } else {
            PostCommand(ID_PAGE_DESTINATION);
        }
        break;
    case IDCANCEL:
        PostCommand(ID_PAGE_DESTINATION);
        break;
    default:
        PageFailed();
        break;
    }
}

int CKavrelView::RunUpdate() {
    m_lastOutcome = kavrel::RunUpdate(m_seams.Run(), m_desc, m_strSourceFolder, m_medium);
    return RunResult(*m_lastOutcome);
}

}  // namespace kavrel
