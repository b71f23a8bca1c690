#include "platform/win32/CurrentDirectory.h"

#include <windows.h>

#include <vector>

namespace kavrel {
namespace {

wchar_t UpperLetter(wchar_t c) { return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c; }

bool IsDriveLetterPath(const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':') return false;
    const wchar_t c = UpperLetter(path[0]);
    return c >= L'A' && c <= L'Z';
}

void RememberDriveDirectory() {
    const std::wstring cwd = GetCurrentDirectoryText();
    if (!IsDriveLetterPath(cwd)) return;
    const wchar_t name[] = {L'=', UpperLetter(cwd[0]), L':', 0};
    ::SetEnvironmentVariableW(name, cwd.c_str());
}

}  // namespace

std::wstring GetCurrentDirectoryText() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

int GetCurrentDriveNumber() {
    const std::wstring cwd = GetCurrentDirectoryText();
    if (!IsDriveLetterPath(cwd)) return 0;
    return UpperLetter(cwd[0]) - L'A' + 1;
}

bool ChangeCurrentDrive(int number) {
    if (number < 1 || number > 26) return false;
    const wchar_t drive[] = {static_cast<wchar_t>(L'A' + number - 1), L':', 0};
    if (!::SetCurrentDirectoryW(drive)) return false;
    RememberDriveDirectory();
    return true;
}

bool ChangeCurrentDirectory(const std::wstring& target) {
    if (!::SetCurrentDirectoryW(target.c_str())) return false;
    RememberDriveDirectory();
    return true;
}

}  // namespace kavrel
