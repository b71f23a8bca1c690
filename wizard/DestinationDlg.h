// The second page: the user picks a drive, steps through folders or types a path.
// Browsing moves the process's current drive and per-drive directories; every way out
// restores the drive that was current when the page opened.
#pragma once

#include <string>

#include "platform/Dialogue.h"
#include "wizard/PageDlg.h"

namespace kavrel {

class CDestinationDlg : public CPageDlg {
public:
    // Folders are listed by `folders`, under the wait cursor of `user`.
    CDestinationDlg(FileReader& files, FolderSearch& folders, UserDialogue& user, const std::string& sourceFolder);

    HWND m_lstFolder = nullptr;
    HWND m_lstDrive = nullptr;
    int m_nSavedDrive = 0;
    std::string m_strFolder;
    std::string m_strNotes;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void OnSelchangeDriveList();
    void EnterFolder();
    void OnBack();
    void FillFolderList(const std::wstring& driveEntry, const std::wstring& pattern);
    void RestoreDrive();

    FolderSearch& m_folders;
    UserDialogue& m_user;
};

}  // namespace kavrel
