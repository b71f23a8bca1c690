#include "platform/Text.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

std::wstring Widen(const std::string& utf8) {
    const std::u16string u = Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}

std::string Narrow(const std::wstring& wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace kavrel
