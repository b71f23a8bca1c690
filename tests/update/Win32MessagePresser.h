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
};

// A message box of this process only: tests running side by side show boxes too.
inline HWND FindOwnBox(const std::wstring& caption) {
    struct Search {
        const std::wstring* caption;
        HWND found;
    } search{&caption, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            std::wstring text(256, L'\0');
            text.resize(::GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
            if (process == ::GetCurrentProcessId() && std::wstring(name) == L"#32770" &&
                text == *s->caption) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline SeenBox PressWhenShown(const std::wstring& caption, int button) {
    constexpr int kTextId = 0xFFFF;  // the static text of a message box
    constexpr int kIconId = 0x440;   // its icon control
    SeenBox seen;
    HWND box = nullptr;
    for (int i = 0; i < 1200 && !box; ++i) {
        box = FindOwnBox(caption);
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
