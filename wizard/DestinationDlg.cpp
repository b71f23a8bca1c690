#include "wizard/DestinationDlg.h"

#include <vector>

#include "platform/win32/CurrentDirectory.h"
#include "platform/win32/Win32Text.h"
#include "res/resource.h"
#include "wizard/Commands.h"
#include "wizard/FolderCollection.h"

namespace kavrel {
namespace {

// Text of the selected entry of a list box; false when nothing is selected.
bool SelectedText(HWND list, std::wstring& text) {
    const LRESULT index = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return false;
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return false;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const LRESULT got = ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (got == LB_ERR) return false;
    text.assign(buffer.data(), static_cast<std::size_t>(got));
    return true;
}

// The drive listing writes "[-c-]": the letter is the third character.
bool DriveLetter(const std::wstring& driveEntry, wchar_t& letter) {
    if (driveEntry.size() < 3) return false;
    letter = driveEntry[2];
    return true;
}

}  // namespace

CDestinationDlg::CDestinationDlg(FileReader& files, FolderSearch& folders, UserDialogue& user,
                                 const std::string& sourceFolder)
    : CPageDlg(IDD_DESTINATION, files, sourceFolder), m_folders(folders), m_user(user) {}

BOOL CDestinationDlg::OnInitDialog() {
    m_lstFolder = GetDlgItem(IDC_FOLDER_LIST);
    m_lstDrive = GetDlgItem(IDC_DRIVE_LIST);
    m_nSavedDrive = GetCurrentDriveNumber();
    ChangeCurrentDirectory(L"\\");
    wchar_t listing[100] = L"*.*";  // the call may rewrite it
    ::DlgDirListW(m_hWnd, listing, IDC_DRIVE_LIST, 0, DDL_EXCLUSIVE | DDL_DRIVES);
    SetDlgItemText(IDC_PATH, m_strFolder);
    SetDlgItemText(IDC_PAGE_TEXT, m_strNotes);
    return TRUE;
}

bool CDestinationDlg::OnCommand(int id, int code, HWND /*control*/) {
    if (id == IDC_DRIVE_LIST && code == LBN_SELCHANGE) {
        OnSelchangeDriveList();
        return true;
    }
    if (id == IDC_FOLDER_LIST && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        EnterFolder();
        return true;
    }
    if (id == IDC_BACK && code == BN_CLICKED) {
        OnBack();
        return true;
    }
    return false;
}

void CDestinationDlg::OnSelchangeDriveList() {
    std::wstring entry;
    wchar_t letter = 0;
    if (!SelectedText(m_lstDrive, entry) || !DriveLetter(entry, letter)) return;
    const std::wstring root{letter, L':', L'\\'};
    ChangeCurrentDirectory(root);  // a drive that is not ready is not reported
    ::SetDlgItemTextW(m_hWnd, IDC_PATH, root.c_str());
    FillFolderList(entry, L"\\*.*");
}

void CDestinationDlg::EnterFolder() {
    std::wstring driveEntry, folderEntry;
    wchar_t letter = 0;
    if (!SelectedText(m_lstDrive, driveEntry) || !SelectedText(m_lstFolder, folderEntry)) return;
    if (!DriveLetter(driveEntry, letter) || folderEntry.size() < 2) return;
    // Relative to the drive's current directory, which the previous step set.
    const std::wstring target =
        std::wstring{letter, L':'} + folderEntry.substr(1, folderEntry.size() - 2);
    ChangeCurrentDirectory(target);
    ::SetDlgItemTextW(m_hWnd, IDC_PATH, GetCurrentDirectoryText().c_str());
    FillFolderList(driveEntry, L".\\*.*");
}

void CDestinationDlg::FillFolderList(const std::wstring& driveEntry, const std::wstring& pattern) {
    ::SendMessageW(m_lstFolder, LB_RESETCONTENT, 0, 0);
    wchar_t letter = 0;
    if (!DriveLetter(driveEntry, letter)) return;
    const std::wstring search = std::wstring{letter, L':'} + pattern;
    auto cursor = m_user.BeginWaitCursor();
    for (const std::string& name : CollectSubfolders(m_folders, Narrow(search))) {
        ::SendMessageW(m_lstFolder, LB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Widen(FolderEntry(name)).c_str()));
    }
}

void CDestinationDlg::RestoreDrive() { ChangeCurrentDrive(m_nSavedDrive); }

void CDestinationDlg::OnOK() {
    m_strFolder = GetDlgItemText(IDC_PATH);
    RestoreDrive();
    EndDialog(IDOK);
}

void CDestinationDlg::OnCancel() {
    RestoreDrive();
    EndDialog(IDCANCEL);
}

void CDestinationDlg::OnBack() {
    RestoreDrive();
    EndDialog(IDBACK_PAGE);
}

}  // namespace kavrel
