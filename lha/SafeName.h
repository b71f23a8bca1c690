// Whether a name may be created inside the destination folder on Windows (and on the
// native build alike): the same rules everywhere, so a test on Linux proves what the
// DLL will refuse.
#pragma once

#include <string>

namespace kavrel::lha {

enum class NameProblem {
    None,
    Empty,          // "" (a path that ends in a separator)
    DotName,        // "." or ".."
    DeviceName,     // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with or without extension
    ForbiddenChar,  // control characters, < > : " / \ | ? *
    TrailingDotOrBlank,
};

// `utf8` is one path component (no separators), already converted from code page 932.
NameProblem CheckComponent(const std::string& utf8);

}  // namespace kavrel::lha
