// Text conversions of the Windows builds, done by the system: UTF-8 <-> UTF-16 at the
// Win32 edge, and code page 932 (platform/Text.h), so that the shipped programs carry no
// conversion table of their own. A Wine test compares them with the portable codec.
#include "platform/win32/Win32Text.h"

#include <windows.h>

#include <climits>

#include "platform/Text.h"

namespace kavrel {
namespace {

// Sizes the result once and converts once; false for text the API refuses (with
// MB_ERR_INVALID_CHARS: malformed input) or cannot take whole.
bool ToWide(UINT codePage, DWORD flags, std::string_view bytes, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    const int size = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (n <= 0) return false;
    wide.resize(static_cast<std::size_t>(n));
    ::MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), n);
    return true;
}

// UTF-16 to `codePage`; false where a character has no exact form there (with
// `exact`) or the text is too long for the API.
bool FromWide(UINT codePage, std::wstring_view wide, bool exact, std::string& out) {
    out.clear();
    if (wide.empty()) return true;
    if (wide.size() > INT_MAX) return false;
    const int size = static_cast<int>(wide.size());
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    BOOL* const defaultFlag = exact ? &usedDefault : nullptr;  // CP_UTF8 takes none
    const int n = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, defaultFlag);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(n));
    ::WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), n, nullptr, nullptr);
    return true;
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
    std::wstring wide;
    ToWide(CP_UTF8, 0, utf8, wide);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    std::string out;
    FromWide(CP_UTF8, wide, false, out);
    return out;
}

std::string Cp932ToUtf8(std::string_view bytes) {
    std::wstring wide;
    ToWide(932, 0, bytes, wide);
    return Narrow(wide);
}

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
    std::wstring wide;
    return ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, wide) && FromWide(932, wide, true, out);
}

}  // namespace kavrel
