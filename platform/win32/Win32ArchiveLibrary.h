// UNLHA32.dll, bound at load time by ordinal 6, 8 and 301 (the import library of
// lha/dll). Entry 301 gets the view's window as its owner and sends it its progress
// reports; this class hears them itself, for the length of each call, by subclassing
// that window, or a message-only window of its own when there is no view (an
// unattended run). No window has to forward anything.
#pragma once

#include <windows.h>

#include "platform/ArchiveLibrary.h"

namespace kavrel {

class Win32ArchiveLibrary : public ArchiveLibrary {
public:
    Win32ArchiveLibrary() = default;
    ~Win32ArchiveLibrary() override;
    Win32ArchiveLibrary(const Win32ArchiveLibrary&) = delete;
    Win32ArchiveLibrary& operator=(const Win32ArchiveLibrary&) = delete;

    // The window entry 301 gets as its owner (the view); null for none.
    void SetOwner(HWND owner) { owner_ = owner; }

    int Entry6(int value) override;
    int Entry8(int value) override;
    int Command(const std::string& commandLine, std::string& output, std::size_t outputSize,
                ArchiveListener& listener) override;

private:
    static LRESULT CALLBACK ReportProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    void Report(WPARAM kind, LPARAM report);
    HWND ReportWindow();

    HWND owner_ = nullptr;
    HWND ownWindow_ = nullptr;
    ArchiveListener* listener_ = nullptr;
};

}  // namespace kavrel
