#include "app/SourceFolder.h"

namespace kavrel {

std::string SourceFolderFromModulePath(const std::string& modulePath) {
    // Drive and directory as _splitpath gives them: everything up to the last separator.
    const auto slash = modulePath.find_last_of("\\/");
    if (slash != std::string::npos) return modulePath.substr(0, slash + 1);
    // "C:Kavrel.exe": the drive alone, drive-relative like the runtime's split.
    if (modulePath.size() >= 2 && modulePath[1] == ':') return modulePath.substr(0, 2);
    return {};
}

}  // namespace kavrel
