// Windows test programs run under Wine with no drive that maps the Linux root, so a
// Linux path from the build (KAVREL_SHARED_DIR, KAVREL_BINARY_DIR) is reached through
// Wine's \\?\unix\ prefix. On Windows itself the path is used unchanged.
#pragma once

#include <string>

namespace kavrel::test {

inline std::string HostPath(const std::string& linuxPath) {
#ifndef _WIN32
    return linuxPath;  // a native test reads the path as it is
#endif
    if (linuxPath.empty() || linuxPath[0] != '/') return linuxPath;
    std::string out = "\\\\?\\unix";
    for (char c : linuxPath) out += (c == '/') ? '\\' : c;
    return out;
}

}  // namespace kavrel::test
