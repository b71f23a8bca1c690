#include "app/LibraryCheck.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {
namespace {

// Volume and file index name one file whatever the path's spelling (case, short names).
bool SameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::wstring* paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        const UniqueHandle file = WrapHandle(::CreateFileW(paths[i]->c_str(), 0,
                                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                           nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file || !::GetFileInformationByHandle(file.get(), &info[i])) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// A string of the module's version resource, read in place (version.dll is no KnownDLL,
// and FindResource needs none): the key, its NUL, then the value at the next 32-bit
// boundary of the block (the block itself starts on one).
std::wstring_view VersionString(HMODULE module, std::wstring_view key) {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* block = loaded ? static_cast<const wchar_t*>(::LockResource(loaded)) : nullptr;
    if (block == nullptr) return {};
    const std::wstring_view text(block, ::SizeofResource(module, found) / sizeof(wchar_t));
    std::size_t at = text.find(key);
    if (at == std::wstring_view::npos) return {};
    at += key.size() + 1;
    at += at & 1;
    const std::size_t end = text.find(L'\0', at);
    return at < text.size() ? text.substr(at, end - at) : std::wstring_view{};
}

}  // namespace

bool LibraryIsOurs(const std::string& mediumFolder, std::string& loaded) {
    const HMODULE library = ::GetModuleHandleW(L"UNLHA32.dll");
    loaded = library ? ModulePath(library) : std::string();
    return library && SameFile(Widen(loaded), Widen(mediumFolder + "UNLHA32.dll")) &&
           VersionString(library, L"ProductName") == L"Kavrel" &&
           VersionString(library, L"ProductVersion") == Widen(KAVREL_VERSION);
}

}  // namespace kavrel
