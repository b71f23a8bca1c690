#include "platform/win32/Win32Log.h"

#include "platform/LogLine.h"
#include "platform/win32/Win32Dialogue.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

bool FileLog::Open(const std::string& path) {
    path_ = path;
    // Run elevated, the log lands in folders anyone may write into (C:\Windows\Temp): a
    // link planted under its name must not carry the write elsewhere. So the name itself is
    // opened (never a link's target, never CREATE_ALWAYS through it), checked, and only
    // then emptied. Readable while Kavrel runs: an administrator may watch it grow.
    UniqueHandle file = WrapHandle(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                                 nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        info.nNumberOfLinks > 1 || !::SetEndOfFile(file.get())) {
        return false;
    }
    file_ = std::move(file);
    DWORD written = 0;
    return ::WriteFile(file_.get(), kUtf8ByteOrderMark.data(), static_cast<DWORD>(kUtf8ByteOrderMark.size()),
                       &written, nullptr) != 0;
}

bool FileLog::Write(const std::string& event) {
    if (!file_ || failed_) return false;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const LocalTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    const std::string line = FormatLogLine(time, event);
    DWORD written = 0;
    if (!::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
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
