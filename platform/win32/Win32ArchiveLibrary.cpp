#include "platform/win32/Win32ArchiveLibrary.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "lha/dll/Unlha32.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

namespace {

UINT ProgressMessage() {
    static const UINT message = ::RegisterWindowMessageW(UNLHA32_PROGRESS_MESSAGE_NAME);
    return message;
}

constexpr UINT_PTR kSubclassId = 0x4B41;  // 'KA'

}  // namespace

Win32ArchiveLibrary::~Win32ArchiveLibrary() {
    if (ownWindow_ != nullptr) ::DestroyWindow(ownWindow_);
}

int Win32ArchiveLibrary::Entry6(int value) { return UnlhaEntry6(value); }

int Win32ArchiveLibrary::Entry8(int value) { return UnlhaEntry8(value); }

HWND Win32ArchiveLibrary::ReportWindow() {
    if (owner_ != nullptr) return owner_;
    if (ownWindow_ == nullptr) {
        // Never shown; it only hears the reports.
        ownWindow_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    }
    return ownWindow_;
}

int Win32ArchiveLibrary::Command(const std::string& commandLine, std::string& output, std::size_t outputSize,
                                 ArchiveListener& listener) {
    // One spare zero byte: the text ends at the first NUL even if the library fills the
    // whole buffer it was told about.
    std::vector<char> buffer(outputSize + 1, '\0');
    ProgressMessage();  // registered before the library first sends it
    const HWND window = ReportWindow();
    listener_ = &listener;
    const bool hearing =
        window != nullptr && ::SetWindowSubclass(window, &ReportProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    const int result = Unlha(window, commandLine.c_str(), buffer.data(), static_cast<DWORD>(outputSize));
    if (hearing) ::RemoveWindowSubclass(window, &ReportProc, kSubclassId);
    listener_ = nullptr;
    output.assign(buffer.data(), ::strnlen(buffer.data(), outputSize));
    return result;
}

LRESULT CALLBACK Win32ArchiveLibrary::ReportProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR self) {
    if (msg != ProgressMessage() || msg == 0) return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    reinterpret_cast<Win32ArchiveLibrary*>(self)->Report(wParam, lParam);
    return 0;
}

void Win32ArchiveLibrary::Report(WPARAM kind, LPARAM lParam) {
    const auto* report = reinterpret_cast<const UnlhaProgress*>(lParam);
    // A report from a library that knows another layout is ignored, not misread.
    if (listener_ == nullptr || report == nullptr || report->cbSize < sizeof(UnlhaProgress)) return;
    ArchiveProgress progress;
    switch (kind) {
    case UNLHA32_PROGRESS_BEGIN: progress.kind = ArchiveProgress::Kind::Begin; break;
    case UNLHA32_PROGRESS_BYTES: progress.kind = ArchiveProgress::Kind::Bytes; break;
    case UNLHA32_PROGRESS_ENTRY: progress.kind = ArchiveProgress::Kind::Entry; break;
    case UNLHA32_PROGRESS_END: progress.kind = ArchiveProgress::Kind::End; break;
    default: return;
    }
    progress.bytesRead = report->bytesRead;
    progress.bytesTotal = report->bytesTotal;
    if (report->entryName != nullptr) progress.entryName = Narrow(report->entryName);
    progress.entrySize = report->entrySize;
    progress.entryCrc = report->entryCrc;
    progress.crcChecked = report->crcChecked != FALSE;
    if (report->message != nullptr) progress.message = Narrow(report->message);
    listener_->OnArchiveProgress(progress);
}

}  // namespace kavrel
