#include "wizard/FolderCollection.h"

namespace kavrel {

std::vector<std::string> CollectSubfolders(FolderSearch& files, const std::string& searchSpec) {
    std::vector<std::string> names{".."};
    for (const FoundEntry& entry : files.FindFiles(searchSpec)) {
        if (!entry.isDirectory || entry.name == "." || entry.name == "..") continue;
        names.push_back(entry.name);
    }
    return names;
}

std::string FolderEntry(const std::string& name) { return "[" + name + "]"; }

std::string FolderNameFromEntry(const std::string& entry) {
    if (entry.size() < 2) return {};
    return entry.substr(1, entry.size() - 2);
}

}  // namespace kavrel
