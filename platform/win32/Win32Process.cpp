#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <vector>

#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

std::string ModulePath(void* module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(buffer.size() * 2);  // long paths: no fixed limit
    }
}

std::string WindowsVersionText() {
    using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto proc = ntdll ? reinterpret_cast<RtlGetVersionProc>(
                                  reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    if (proc == nullptr || proc(&info) != 0) return "unknown";
    return DecimalText(info.dwMajorVersion) + "." + DecimalText(info.dwMinorVersion) + " build " +
           DecimalText(info.dwBuildNumber);
}

bool WriteToConsole(const std::string& text) {
    DWORD written = 0;
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && ::GetFileType(out) != FILE_TYPE_CHAR &&
        ::GetFileType(out) != FILE_TYPE_UNKNOWN) {
        return ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    const UniqueHandle console =
        WrapHandle(::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!console) return false;
    const std::wstring wide = Widen("\r\n" + text);
    return ::WriteConsoleW(console.get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

}  // namespace kavrel
