// UTF-8 <-> wide strings at the Win32 edge, converted by the system.
#pragma once

#include <string>

namespace kavrel {

// Malformed UTF-8 becomes U+FFFD, as MultiByteToWideChar(CP_UTF8) has it; a lone
// surrogate in `wide` likewise. Text of 2 GiB or more is not converted (empty result).
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace kavrel
