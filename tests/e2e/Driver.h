// Drives a running Kavrel.exe from another process, as a person would: finds its
// windows by caption or class, reads texts with WM_GETTEXT and presses buttons with
// posted messages (posted, so the driver never blocks in the modal loop a click opens).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kavrel::e2e {

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

class KavrelProcess {
public:
    // Starts `exePath` (wide path on a Wine drive) with `workingDir` as current directory
    // and `arguments` after the program's name. With `captureOutput`, its standard output
    // goes to a pipe that Output() reads once it has ended.
    KavrelProcess(const std::wstring& exePath, const std::wstring& workingDir, const std::wstring& arguments = L"",
                  bool captureOutput = false);
    ~KavrelProcess();
    KavrelProcess(const KavrelProcess&) = delete;
    KavrelProcess& operator=(const KavrelProcess&) = delete;

    bool Started() const { return process_.handle != nullptr; }
    // A visible top-level window of the process with this class and/or caption (empty =
    // any); null after the timeout.
    HWND WaitWindow(const std::wstring& className, const std::wstring& caption, int timeoutMs = 15000) const;
    // A dialog of the process whose OK button (id 1) reads `okText`: tells the pages apart.
    HWND WaitPage(const std::string& okText, int timeoutMs = 15000) const;
    // Waits until no window of that kind is shown any more.
    bool WaitGone(HWND window, int timeoutMs = 15000) const;
    // Waits for the process to end; its exit code, or -1 on timeout.
    long WaitExit(int timeoutMs = 30000);
    // The same, looking all the while for any visible window of the process: the caption
    // of the first one seen goes to `seenWindow` (empty when none was seen).
    long WaitExitWatchingWindows(std::wstring& seenWindow, int timeoutMs = 60000);
    std::string Output();
    void Kill();
    DWORD Id() const { return process_.id; }

private:
    Process process_;
    HANDLE output_ = nullptr;
};

// A visible top-level window of process `pid` that `accept` takes (without one, any), or
// null.
HWND AnyVisibleWindow(DWORD pid, bool (*accept)(HWND) = nullptr);

// Texts as UTF-8.
std::string Text(HWND window);
std::string ControlText(HWND dialog, int id);
// Every static text of a message box, joined (the box's own message).
std::string MessageBoxText(HWND box);
std::vector<std::string> ListItems(HWND dialog, int listId);
int ListSelection(HWND dialog, int listId);

void Click(HWND dialog, int buttonId);
void PressKey(HWND window, UINT virtualKey);
// Selects an entry by its exact text and tells the dialog, as a click on it would.
bool SelectListItem(HWND dialog, int listId, const std::string& text);
void SetControlText(HWND dialog, int id, const std::string& text);

// Waits until the control's text satisfies `expected` (equality), for texts filled in
// after a posted action.
bool WaitControlText(HWND dialog, int id, const std::string& expected, int timeoutMs = 10000);
bool WaitText(HWND window, const std::string& expected, int timeoutMs = 10000);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace kavrel::e2e
