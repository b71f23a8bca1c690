// Code page 932 in native builds: the table of our own.
#include "platform/Cp932Table.h"
#include "platform/Text.h"

namespace kavrel {

std::string Cp932ToUtf8(std::string_view bytes) { return Cp932ToUtf8ByTable(bytes); }

bool Utf8ToCp932(std::string_view utf8, std::string& out) { return Utf8ToCp932ByTable(utf8, out); }

}  // namespace kavrel
