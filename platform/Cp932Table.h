// The table codec behind Cp932ToUtf8/Utf8ToCp932 (platform/Text.h) in native builds;
// Windows builds convert with the system and keep this one for comparing the two.
#pragma once

#include <string>
#include <string_view>

namespace kavrel {

std::string Cp932ToUtf8ByTable(std::string_view bytes);
bool Utf8ToCp932ByTable(std::string_view utf8, std::string& out);

}  // namespace kavrel
