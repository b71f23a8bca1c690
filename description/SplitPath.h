// Splits a path into drive, directory, file name and extension the way the Windows C
// runtime's _splitpath does, for any length: the extension runs from the last dot of
// the final component, and '/' and '\' both separate components.
#pragma once

#include <string>
#include <string_view>

namespace kavrel {

struct PathParts {
    std::string drive;  // "C:" or empty
    std::string dir;    // up to and including the last separator
    std::string fname;  // the final component up to its last dot
    std::string ext;    // from the last dot of the final component, dot included
};

PathParts SplitPath(std::string_view path);

}  // namespace kavrel
