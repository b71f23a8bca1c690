#include "wizard/ProgressDlg.h"

#include <commctrl.h>

#include "platform/Text.h"
#include "res/resource.h"

namespace kavrel {
namespace {
constexpr int kBarRange = 1000;
constexpr std::uint64_t kDrawInterval = 100;  // milliseconds
}  // namespace

CProgressDlg::CProgressDlg(std::string title) : CDialog(IDD_PROGRESS), m_strTitle(std::move(title)) {}

bool CProgressDlg::Create() {
    if (!CreateModeless()) return false;
    ::ShowWindow(m_hWnd, SW_SHOWNA);
    ::UpdateWindow(m_hWnd);
    return true;
}

BOOL CProgressDlg::OnInitDialog() {
    SetWindowText(m_strTitle);
    ::SendDlgItemMessageW(m_hWnd, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
    return FALSE;  // never takes the focus
}

void CProgressDlg::Item(int number, int count, const std::string& name, bool checking) {
    const std::string step = std::string(checking ? "書庫を確認しています" : "更新しています") + " (" +
                             DecimalText(number) + " / " + DecimalText(count) + ")";
    SetDlgItemText(IDC_PROGRESS_STEP, step);
    SetDlgItemText(IDC_PROGRESS_ITEM, name);
    m_nPosition = -1;
    Bytes(0, 1);
}

void CProgressDlg::Bytes(std::uint64_t done, std::uint64_t total) {
    // Ten steps a second look smooth; drawing at every report would cost the update more
    // than the decoding of what it reports.
    const std::uint64_t now = ::GetTickCount64();
    const bool finished = done >= total;
    if (!finished && m_nPosition >= 0 && now - m_nLastDrawn < kDrawInterval) return;
    m_nLastDrawn = now;
    const int position = total == 0 || finished ? kBarRange : static_cast<int>(done * kBarRange / total);
    if (position != m_nPosition) {
        m_nPosition = position;
        ::SendDlgItemMessageW(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    PumpPaintAndTimerMessages();
}

}  // namespace kavrel
