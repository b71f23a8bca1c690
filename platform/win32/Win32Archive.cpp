// The archive library's entries, called by ordinal 6, 8 and 301 of UNLHA32.dll.
#include <cstring>
#include <vector>

#include "platform/win32/Win32Platform.h"

#if __has_include("lha/dll/Unlha32.h")
#include "lha/dll/Unlha32.h"
#define KAVREL_UNLHA32_IMPORTED 1
#endif

namespace kavrel {

namespace {

#ifndef KAVREL_UNLHA32_IMPORTED
// Until the import library is part of the build, the entries are found at run time by
// the same ordinals.
using EntryProc = int(WINAPI*)(int);
using CommandProc = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);

FARPROC Entry(WORD ordinal) {
    static const HMODULE library = ::LoadLibraryW(L"UNLHA32.dll");
    return library ? ::GetProcAddress(library, MAKEINTRESOURCEA(ordinal)) : nullptr;
}

int WINAPI UnlhaEntry6(int value) {
    const auto proc = reinterpret_cast<EntryProc>(reinterpret_cast<void*>(Entry(6)));
    return proc ? proc(value) : -1;
}
int WINAPI UnlhaEntry8(int value) {
    const auto proc = reinterpret_cast<EntryProc>(reinterpret_cast<void*>(Entry(8)));
    return proc ? proc(value) : -1;
}
int WINAPI Unlha(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    const auto proc = reinterpret_cast<CommandProc>(reinterpret_cast<void*>(Entry(301)));
    if (!proc) {
        if (outputSize > 0) output[0] = '\0';
        return -1;
    }
    return proc(owner, commandLine, output, outputSize);
}
#endif

}  // namespace

int Win32Platform::ArchiveEntry6(int value) { return UnlhaEntry6(value); }

int Win32Platform::ArchiveEntry8(int value) { return UnlhaEntry8(value); }

int Win32Platform::ArchiveCommand(const std::string& commandLine, std::string& output,
                                  std::size_t outputSize) {
    // One spare zero byte: the text ends at the first NUL even if the library fills the
    // whole buffer it was told about.
    std::vector<char> buffer(outputSize + 1, '\0');
    const int result = Unlha(owner_, commandLine.c_str(), buffer.data(), static_cast<DWORD>(outputSize));
    output.assign(buffer.data(), ::strnlen(buffer.data(), outputSize));
    return result;
}

}  // namespace kavrel
