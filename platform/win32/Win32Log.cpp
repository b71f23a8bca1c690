#include "platform/win32/Win32Log.h"

#include "platform/LogLine.h"
#include "platform/win32/Win32Dialogue.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

FileLog::~FileLog() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
}

bool FileLog::Open(const std::string& path) {
    path_ = path;
    // Readable while Kavrel runs: an administrator may watch it grow.
    file_ = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    return ::WriteFile(file_, kUtf8ByteOrderMark.data(), static_cast<DWORD>(kUtf8ByteOrderMark.size()), &written,
                       nullptr) != 0;
}

bool FileLog::Write(const std::string& event) {
    if (file_ == INVALID_HANDLE_VALUE || failed_) return false;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const LocalTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    const std::string line = FormatLogLine(time, event);
    DWORD written = 0;
    if (!::WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
        failed_ = true;
    }
    return !failed_;
}

void Win32Log::Log(const std::string& event) {
    if (file_ == nullptr || file_->Write(event) || failureReported_) return;
    failureReported_ = true;
    if (dialogue_ != nullptr) dialogue_->Notify("記録ファイルに書き込めなくなりました。更新はこのまま続けます。", "確認");
}

std::string DefaultLogPath() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring folder = n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring(L"C:\\");
    if (folder.back() != L'\\') folder += L'\\';
    return Narrow(folder + L"Kavrel.log");
}

}  // namespace kavrel
