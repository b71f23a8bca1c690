#include "lha/dll/ProgressReporter.h"

#include "lha/Messages.h"
#include "platform/Text.h"
#include "platform/win32/Win32Text.h"

namespace kavrel::lha {
namespace {

// Twenty reports a second are smooth progress; more would cost the owner window's
// repainting more than they show (a fast disk reads 1/256 of an archive in a millisecond).
constexpr ULONGLONG kIntervalMs = 50;

}  // namespace

ProgressReporter::ProgressReporter(HWND window, char command) : command_(command) {
    if (window != nullptr && IsWindow(window)) {
        message_ = RegisterWindowMessageW(UNLHA32_PROGRESS_MESSAGE_NAME);
        if (message_ != 0) window_ = window;
    }
}

ProgressReporter::~ProgressReporter() {
    if (!ended_) End(false);
}

UnlhaProgress ProgressReporter::Base() const {
    UnlhaProgress p{};
    p.cbSize = sizeof p;
    p.command = command_;
    p.bytesRead = bytesRead_;
    p.bytesTotal = bytesTotal_;
    p.entryCount = static_cast<DWORD>(entries_);
    return p;
}

void ProgressReporter::Send(WPARAM kind, UnlhaProgress& progress) {
    SendMessageW(window_, message_, kind, reinterpret_cast<LPARAM>(&progress));
}

void ProgressReporter::OnBegin(std::uint64_t entries, std::uint64_t compressedBytes) {
    entries_ = entries;
    bytesTotal_ = compressedBytes;
    if (!window_) return;
    UnlhaProgress p = Base();
    Send(UNLHA32_PROGRESS_BEGIN, p);
    sentAt_ = GetTickCount64();
}

void ProgressReporter::OnBytesRead(std::uint64_t bytesRead) {
    bytesRead_ = bytesRead;
    if (!window_ || bytesRead <= bytesSent_) return;
    const bool whole = bytesRead >= bytesTotal_;
    if (!whole && GetTickCount64() - sentAt_ < kIntervalMs) return;
    bytesSent_ = bytesRead;
    UnlhaProgress p = Base();
    Send(UNLHA32_PROGRESS_BYTES, p);
    sentAt_ = GetTickCount64();
}

void ProgressReporter::OnEntry(const EntryHeader& header, bool crcChecked) {
    const std::string path = msg::EntryName(header);
    names_ += path + "\r\n";
    if (!window_) return;
    const std::u16string wide = Utf8ToUtf16(path);
    std::wstring name(wide.begin(), wide.end());
    for (wchar_t& c : name) {
        if (c == L'/') c = L'\\';
    }
    UnlhaProgress p = Base();
    p.entryIndex = entryIndex_++;
    p.entryName = name.c_str();
    p.entrySize = header.originalSize;
    p.entryCrc = header.crc;
    p.crcChecked = crcChecked ? TRUE : FALSE;
    Send(UNLHA32_PROGRESS_ENTRY, p);
}

void ProgressReporter::End(bool succeeded, const std::string& message) {
    ended_ = true;
    if (!window_) return;
    UnlhaProgress p = Base();
    p.succeeded = succeeded ? TRUE : FALSE;
    const std::wstring wide = Widen(message);
    if (!message.empty()) p.message = wide.c_str();
    Send(UNLHA32_PROGRESS_END, p);
}

}  // namespace kavrel::lha
