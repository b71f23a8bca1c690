#include "description/SplitPath.h"

namespace kavrel {

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    // UTF-8 never puts a '\' or '/' byte inside a multi-byte character, so a byte scan
    // finds the true separators.
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) {
        parts.dir = std::string(path.substr(0, slash + 1));
        path.remove_prefix(slash + 1);
    }
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos) {
        parts.ext = std::string(path.substr(dot));
        path = path.substr(0, dot);
    }
    parts.fname = std::string(path);
    return parts;
}

}  // namespace kavrel
