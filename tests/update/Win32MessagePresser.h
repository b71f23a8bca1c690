// Answers a message box of this process from a second thread: waits for the box with
// the given caption, notes what it shows, then presses one of its buttons.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace kavrel::test {

struct SeenBox {
    bool found = false;
    std::wstring text;
    HWND owner = nullptr;
    bool iconShown = false;
    std::vector<int> buttons;  // the visible ones, by id
    std::wstring other;        // the caption of a box that came instead, declined
};

// A message box of this process only: tests running side by side show boxes too. With
// `other`, also the first box of this process with another caption.
inline HWND FindOwnBox(const std::wstring& caption, HWND* other = nullptr) {
    struct Search {
        const std::wstring* caption;
        HWND found;
        HWND other;
    } search{&caption, nullptr, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (process != ::GetCurrentProcessId() || std::wstring(name) != L"#32770") return TRUE;
            std::wstring text(256, L'\0');
            text.resize(::GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
            if (text == *s->caption) {
                s->found = window;
                return FALSE;
            }
            if (!s->other) s->other = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (other) *other = search.other;
    return search.found;
}

inline SeenBox PressWhenShown(const std::wstring& caption, int button) {
    constexpr int kTextId = 0xFFFF;  // the static text of a message box
    constexpr int kIconId = 0x440;   // its icon control
    SeenBox seen;
    HWND box = nullptr;
    for (int i = 0; i < 1200 && !box; ++i) {
        HWND other = nullptr;
        box = FindOwnBox(caption, &other);
        // A box no one waits for would hold the run, and the test, for good: it is
        // declined, and the test sees which one it was.
        if (!box && other) {
            std::wstring name(256, L'\0');
            name.resize(::GetWindowTextW(other, name.data(), static_cast<int>(name.size())));
            seen.other = name;
            for (int id : {IDCANCEL, IDNO, IDOK}) {
                const HWND b = ::GetDlgItem(other, id);
                if (b && ::IsWindowVisible(b)) {
                    ::PostMessageW(b, BM_CLICK, 0, 0);
                    break;
                }
            }
            return seen;
        }
        if (!box) ::Sleep(25);
    }
    if (!box) return seen;
    seen.found = true;
    std::wstring text(4096, L'\0');
    text.resize(::GetDlgItemTextW(box, kTextId, text.data(), static_cast<int>(text.size())));
    seen.text = text;
    seen.owner = ::GetWindow(box, GW_OWNER);
    const HWND icon = ::GetDlgItem(box, kIconId);
    seen.iconShown = icon && ::IsWindowVisible(icon) && ::SendMessageW(icon, STM_GETICON, 0, 0) != 0;
    for (int id = IDOK; id <= IDNO; ++id) {
        const HWND b = ::GetDlgItem(box, id);
        if (b && ::IsWindowVisible(b)) seen.buttons.push_back(id);
    }
    ::PostMessageW(::GetDlgItem(box, button), BM_CLICK, 0, 0);
    return seen;
}

// Presses OK on the next box with `caption` while `work` runs on this thread.
template <typename Work>
SeenBox AnswerOkDuring(const std::wstring& caption, Work&& work) {
    SeenBox seen;
    std::thread presser([&] { seen = PressWhenShown(caption, IDOK); });
    work();
    presser.join();
    return seen;
}

}  // namespace kavrel::test
