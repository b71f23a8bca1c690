// The archive library's entries, bound at load time by ordinal 6, 8 and 301 of
// UNLHA32.dll (the import library of lha/dll), and the progress reports it sends to the
// owner window while entry 301 works.
#include <cstring>
#include <vector>

#include "lha/dll/Unlha32.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

namespace {

UINT ProgressMessage() {
    static const UINT message = ::RegisterWindowMessageW(UNLHA32_PROGRESS_MESSAGE_NAME);
    return message;
}

}  // namespace

int Win32Platform::ArchiveEntry6(int value) { return UnlhaEntry6(value); }

int Win32Platform::ArchiveEntry8(int value) { return UnlhaEntry8(value); }

int Win32Platform::ArchiveCommand(const std::string& commandLine, std::string& output, std::size_t outputSize,
                                  ArchiveListener* listener) {
    // One spare zero byte: the text ends at the first NUL even if the library fills the
    // whole buffer it was told about.
    std::vector<char> buffer(outputSize + 1, '\0');
    ProgressMessage();  // registered before the library first sends it
    listener_ = listener;
    const int result = Unlha(owner_, commandLine.c_str(), buffer.data(), static_cast<DWORD>(outputSize));
    listener_ = nullptr;
    output.assign(buffer.data(), ::strnlen(buffer.data(), outputSize));
    return result;
}

bool Win32Platform::HandleArchiveProgress(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != ProgressMessage() || msg == 0) return false;
    const auto* report = reinterpret_cast<const UnlhaProgress*>(lParam);
    // A report from a library that knows another layout is ignored, not misread.
    if (listener_ == nullptr || report == nullptr || report->cbSize < sizeof(UnlhaProgress)) return true;
    ArchiveProgress progress;
    switch (wParam) {
    case UNLHA32_PROGRESS_BEGIN: progress.kind = ArchiveProgress::Kind::Begin; break;
    case UNLHA32_PROGRESS_BYTES: progress.kind = ArchiveProgress::Kind::Bytes; break;
    case UNLHA32_PROGRESS_ENTRY: progress.kind = ArchiveProgress::Kind::Entry; break;
    case UNLHA32_PROGRESS_END: progress.kind = ArchiveProgress::Kind::End; break;
    default: return true;
    }
    progress.bytesRead = report->bytesRead;
    progress.bytesTotal = report->bytesTotal;
    if (report->entryName != nullptr) progress.entryName = Narrow(report->entryName);
    progress.entrySize = report->entrySize;
    progress.entryCrc = report->entryCrc;
    progress.crcChecked = report->crcChecked != FALSE;
    listener_->OnArchiveProgress(progress);
    return true;
}

}  // namespace kavrel
