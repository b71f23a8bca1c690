// Stand-in for platform/win32/Win32Archive.cpp while it does not exist (see CMakeLists.txt).
#include "platform/win32/Win32Platform.h"

namespace kavrel {

int Win32Platform::ArchiveEntry6(int) { return -1; }
int Win32Platform::ArchiveEntry8(int) { return -1; }

int Win32Platform::ArchiveCommand(const std::string&, std::string& output, std::size_t) {
    output.clear();
    return -1;
}

}  // namespace kavrel
