#include "pack/MediumNames.h"

#include <map>

#include "description/ItemRules.h"
#include "pack/DiskPlan.h"
#include "platform/Text.h"

namespace kavrel::pack {
namespace {

std::map<std::string, int> DiskOfEveryFile(const std::vector<std::vector<std::string>>& files) {
    std::map<std::string, int> where;
    for (std::size_t d = 0; d < files.size(); ++d) {
        for (const std::string& f : files[d]) where.emplace(NameKey(f), static_cast<int>(d) + 1);
    }
    return where;
}

}  // namespace

std::string NameKey(const std::string& path) {
    std::string key = AsciiUpper(path);
    for (char& c : key) {
        if (c == '\\') c = '/';
    }
    return key;
}

std::vector<SharedName> FindSharedNames(const std::vector<std::vector<std::string>>& files) {
    std::vector<SharedName> shared;
    std::map<std::string, int> first;
    for (std::size_t d = 0; d < files.size(); ++d) {
        for (const std::string& f : files[d]) {
            const auto [it, inserted] = first.emplace(NameKey(f), static_cast<int>(d) + 1);
            if (!inserted && it->second != static_cast<int>(d) + 1) {
                shared.push_back(SharedName{f, it->second, static_cast<int>(d) + 1});
            }
        }
    }
    return shared;
}

std::vector<MisleadingName> FindMisleadingNames(const std::vector<UpdateItem>& items, const std::vector<int>& systems,
                                                const std::vector<std::vector<std::string>>& files) {
    const auto where = DiskOfEveryFile(files);
    std::vector<MisleadingName> found;
    for (std::size_t i = 0; i < items.size(); ++i) {
        for (const std::string& file : DiskTestFiles(items[i], systems)) {
            const std::string path = NameKey(file);
            const auto it = where.find(path);
            if (it != where.end() && it->second != items[i].disk) {
                found.push_back(MisleadingName{static_cast<int>(i), path, it->second});
            }
        }
    }
    return found;
}

bool CheckPlannedNames(const DiskPlan& plan, const std::string& manifestPath, Diagnostics& diags) {
    std::vector<std::vector<std::string>> files;
    std::vector<int> systems;
    for (const PlannedDisk& disk : plan.disks) {
        files.emplace_back();
        for (const PlacedFile& f : disk.files) files.back().push_back(f.path);
    }
    std::vector<UpdateItem> items;
    for (const ItemLine& line : plan.lines) items.push_back(UpdateItem{line.disk, line.kind, line.name, line.folder});
    for (int s = 1; s <= kSystemCount; ++s) systems.push_back(s);
    bool ok = true;
    for (const SharedName& s : FindSharedNames(files)) {
        diags.Error(manifestPath, 0,
                    "\"" + s.path + "\" would lie on disk " + std::to_string(s.firstDisk) + " and on disk " +
                        std::to_string(s.otherDisk) + "; every name on a set must be unique");
        ok = false;
    }
    // Within one disk, two items naming the same file are no better.
    std::map<std::string, int> seen;
    for (const PlannedDisk& disk : plan.disks) {
        for (const PlacedFile& f : disk.files) {
            if (!seen.emplace(NameKey(f.path), 1).second) {
                diags.Error(manifestPath, 0, "\"" + f.path + "\" would be written twice; every name must be unique");
                ok = false;
            }
        }
    }
    for (const MisleadingName& m : FindMisleadingNames(items, systems, files)) {
        const ItemLine& line = plan.lines[m.item];
        diags.Error(manifestPath, line.manifestLine,
                    "item " + line.name + " on disk " + std::to_string(line.disk) + ": its disk would be taken for " +
                        "disk " + std::to_string(m.foundOn) + ", which holds " + m.path + "; rename one of them");
        ok = false;
    }
    return ok;
}

}  // namespace kavrel::pack
