#include "e2e/Driver.h"

#include <chrono>
#include <thread>

namespace kavrel::e2e {
namespace {

struct FindData {
    DWORD pid;
    const std::wstring* className;
    const std::wstring* caption;
    HWND found;
};

std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    ::GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

std::wstring WideText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 5000, &got);
    text.resize(got);
    return text;
}

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam) {
    auto* data = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data->pid || !::IsWindowVisible(hwnd)) return TRUE;
    if (!data->className->empty() && ClassOf(hwnd) != *data->className) return TRUE;
    if (!data->caption->empty() && WideText(hwnd) != *data->caption) return TRUE;
    data->found = hwnd;
    return FALSE;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

KavrelProcess::KavrelProcess(const std::wstring& exePath, const std::wstring& workingDir,
                             const std::wstring& arguments, bool captureOutput) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    HANDLE writeEnd = nullptr;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        if (::CreatePipe(&output_, &writeEnd, &inherit, 0)) {
            ::SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdOutput = writeEnd;
            si.hStdError = writeEnd;
            si.hStdInput = nullptr;
        }
    }
    if (::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, captureOutput, 0, nullptr,
                         workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi)) {
        ::CloseHandle(pi.hThread);
        process_.handle = pi.hProcess;
        process_.id = pi.dwProcessId;
    }
    if (writeEnd != nullptr) ::CloseHandle(writeEnd);
}

KavrelProcess::~KavrelProcess() {
    if (process_.handle == nullptr) return;
    if (::WaitForSingleObject(process_.handle, 0) == WAIT_TIMEOUT) Kill();
    ::CloseHandle(process_.handle);
    if (output_ != nullptr) ::CloseHandle(output_);
}

std::string KavrelProcess::Output() {
    std::string text;
    // Read only once the program has ended: a running one still holds the write end.
    if (output_ == nullptr || ::WaitForSingleObject(process_.handle, 0) != WAIT_OBJECT_0) return text;
    // What is in the pipe now: Wine does not always report its end once the writer is gone.
    char buffer[4096];
    DWORD available = 0;
    DWORD got = 0;
    while (::PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ::ReadFile(output_, buffer, sizeof buffer < available ? sizeof buffer : available, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

HWND AnyVisibleWindow(DWORD pid, bool (*accept)(HWND)) {
    struct Data {
        DWORD pid;
        bool (*accept)(HWND);
        HWND found;
    } data{pid, accept, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lParam) CALLBACK -> BOOL {
            auto* d = reinterpret_cast<Data*>(lParam);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner != d->pid || !::IsWindowVisible(hwnd) || (d->accept != nullptr && !d->accept(hwnd))) return TRUE;
            d->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&data));
    return data.found;
}

long KavrelProcess::WaitExitWatchingWindows(std::wstring& seenWindow, int timeoutMs) {
    seenWindow.clear();
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        if (seenWindow.empty()) {
            if (const HWND window = AnyVisibleWindow(process_.id)) seenWindow = L"[" + ClassOf(window) + L"] " + WideText(window);
        }
        if (::WaitForSingleObject(process_.handle, 10) == WAIT_OBJECT_0) break;
    }
    return WaitExit(0);
}

void KavrelProcess::Kill() {
    if (process_.handle == nullptr) return;
    ::TerminateProcess(process_.handle, 99);
    ::WaitForSingleObject(process_.handle, 5000);
}

HWND KavrelProcess::WaitWindow(const std::wstring& className, const std::wstring& caption,
                               int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        FindData data{process_.id, &className, &caption, nullptr};
        ::EnumWindows(&FindProc, reinterpret_cast<LPARAM>(&data));
        if (data.found != nullptr) return data.found;
        if (::WaitForSingleObject(process_.handle, 0) != WAIT_TIMEOUT) return nullptr;
        Sleep(50);
    }
    return nullptr;
}

HWND KavrelProcess::WaitPage(const std::string& okText, int timeoutMs) const {
    struct Data {
        DWORD pid;
        const std::string* okText;
        HWND found;
    } data{process_.id, &okText, nullptr};
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        data.found = nullptr;
        ::EnumWindows(
            [](HWND hwnd, LPARAM lParam) CALLBACK -> BOOL {
                auto* d = reinterpret_cast<Data*>(lParam);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                if (pid != d->pid || !::IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
                if (ControlText(hwnd, IDOK) != *d->okText) return TRUE;
                d->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&data));
        if (data.found != nullptr) return data.found;
        if (::WaitForSingleObject(process_.handle, 0) != WAIT_TIMEOUT) return nullptr;
        Sleep(50);
    }
    return nullptr;
}

bool KavrelProcess::WaitGone(HWND window, int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (!::IsWindow(window) || !::IsWindowVisible(window)) return true;
        Sleep(50);
    }
    return false;
}

long KavrelProcess::WaitExit(int timeoutMs) {
    if (::WaitForSingleObject(process_.handle, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.handle, &code);
    return static_cast<long>(code);
}

std::string Text(HWND window) { return Narrow(WideText(window)); }

std::string ControlText(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }

std::string MessageBoxText(HWND box) {
    std::string text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) != L"Static") continue;
        const std::string piece = Text(child);
        if (piece.empty()) continue;
        if (!text.empty()) text += "\n";
        text += piece;
    }
    return text;
}

std::vector<std::string> ListItems(HWND dialog, int listId) {
    const HWND list = ::GetDlgItem(dialog, listId);
    std::vector<std::string> items;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT got = ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        items.push_back(Narrow(text));
    }
    return items;
}

int ListSelection(HWND dialog, int listId) {
    return static_cast<int>(::SendMessageW(::GetDlgItem(dialog, listId), LB_GETCURSEL, 0, 0));
}

void Click(HWND dialog, int buttonId) { ::PostMessageW(::GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

void PressKey(HWND window, UINT virtualKey) {
    ::PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

bool SelectListItem(HWND dialog, int listId, const std::string& text) {
    const HWND list = ::GetDlgItem(dialog, listId);
    const std::wstring wide = Widen(text);
    const LRESULT index = ::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(wide.c_str()));
    if (index == LB_ERR) return false;
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return true;
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    const std::wstring wide = Widen(text);
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool WaitControlText(HWND dialog, int id, const std::string& expected, int timeoutMs) {
    return WaitText(::GetDlgItem(dialog, id), expected, timeoutMs);
}

bool WaitText(HWND window, const std::string& expected, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (Text(window) == expected) return true;
        Sleep(50);
    }
    return false;
}

}  // namespace kavrel::e2e
