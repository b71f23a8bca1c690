#include "description/ItemRules.h"

#include "description/SplitPath.h"
#include "platform/Text.h"

namespace kavrel {

std::string ArchiveFileName(const std::string& itemName) { return itemName + ".lzh"; }

bool IsSystemArchive(const std::string& itemName) { return SplitPath(itemName).fname == kSystemArchiveName; }

bool IsSystemArchive(const UpdateItem& item) { return item.kind == ItemKind::Archive && IsSystemArchive(item.name); }

std::string SystemArchiveName(const std::string& itemName, int system) { return itemName + DecimalText(system); }

std::vector<std::string> ItemSourceFiles(const UpdateItem& item, const std::vector<int>& systems) {
    if (item.kind != ItemKind::Archive) return {item.name};
    if (!IsSystemArchive(item.name)) return {ArchiveFileName(item.name)};
    std::vector<std::string> files;
    for (int system : systems) files.push_back(ArchiveFileName(SystemArchiveName(item.name, system)));
    return files;
}

std::vector<std::string> DiskTestFiles(const UpdateItem& item, const std::vector<int>& systems) {
    std::vector<std::string> files{ArchiveFileName(item.name)};
    if (item.kind != ItemKind::Archive || IsSystemArchive(item.name)) {
        for (std::string& file : ItemSourceFiles(item, systems)) files.push_back(std::move(file));
    }
    return files;
}

std::string PlainFileTargetName(const std::string& itemName) {
    const PathParts parts = SplitPath(itemName);
    return parts.fname + parts.ext;
}

}  // namespace kavrel
