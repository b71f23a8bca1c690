// The computer itself: its Windows folder, its running programs, its clock.
#include "platform/win32/Win32Machine.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

namespace {

// The full, canonical form of a path (doubled backslashes and "." resolved), for
// comparing two spellings of one file. Not every GetFullPathNameW folds doubled
// backslashes inside a path (Wine's keeps them), so that is done here.
std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return path;
    full.resize(got);
    std::wstring folded;
    for (std::size_t i = 0; i < full.size(); ++i) {
        // A leading "\\" (a share, or "\\?\") stays.
        if (i >= 2 && full[i] == L'\\' && folded.back() == L'\\') continue;
        folded += full[i];
    }
    return folded;
}

}  // namespace

std::string AbsolutePath(const std::string& path) { return Narrow(FullPath(Widen(path))); }

bool Win32Machine::IsProgramRunning(const std::string& path) {
    const std::wstring wanted = FullPath(Widen(path));
    const std::size_t slash = wanted.find_last_of(L'\\');
    const std::wstring name = slash == std::wstring::npos ? wanted : wanted.substr(slash + 1);
    UniqueHandle snapshot = WrapHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        // Only processes of that file name are opened and asked for their full path.
        if (CompareStringOrdinal(entry.szExeFile, -1, name.c_str(), -1, TRUE) != CSTR_EQUAL) continue;
        UniqueHandle process = WrapHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        std::wstring image(32768, L'\0');
        DWORD size = static_cast<DWORD>(image.size());
        if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &size)) continue;
        image.resize(size);
        if (CompareStringOrdinal(FullPath(image).c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    }
    return false;
}

std::uint64_t Win32Machine::Milliseconds() { return GetTickCount64(); }


std::string Win32Machine::WindowsDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const UINT n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return Narrow(buffer);
        }
        buffer.resize(n + 1);  // n is the size needed, terminator included
    }
}

}  // namespace kavrel
