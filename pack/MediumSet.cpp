#include "pack/MediumSet.h"

#include "pack/Files.h"
#include "pack/MediumNames.h"
#include "platform/Text.h"

namespace kavrel::pack {
namespace {

bool LoadDisk(const std::string& folder, MediumDisk& disk) {
    disk.folder = folder;
    if (!ListFilesBelow(folder, disk.files)) return false;
    for (const std::string& f : disk.files) disk.byKey.emplace(NameKey(f), f);
    return true;
}

}  // namespace

std::string MediumDisk::Find(const std::string& name) const {
    const auto it = byKey.find(NameKey(name));
    return it == byKey.end() ? std::string() : it->second;
}

bool FindMediumSet(const std::string& medium, MediumSet& set, std::string& error) {
    set = MediumSet{};
    std::string parent;
    if (IsFile(JoinPath(medium, "info.txt"))) {
        auto path = PathOf(medium).lexically_normal();
        if (path.filename().empty()) path = path.parent_path();  // a closing separator
        // The first disk of a set: its siblings are the other disks.
        if (AsciiUpper(Utf8Of(path.filename())) == "DISK1") {
            parent = Utf8Of(path.parent_path());
            if (parent.empty()) parent = ".";
        }
        if (parent.empty()) {
            set.disks.emplace_back();
            if (!LoadDisk(medium, set.disks.back())) {
                error = medium + ": cannot be read";
                return false;
            }
            return true;
        }
    } else if (IsFile(JoinPath(JoinPath(medium, "disk1"), "info.txt"))) {
        parent = medium;
    } else {
        error = medium + ": no info.txt here, nor in a disk1 folder";
        return false;
    }
    set.isDiskSet = true;
    for (int n = 1;; ++n) {
        const std::string folder = JoinPath(parent, "disk" + std::to_string(n));
        if (!IsFolder(folder)) break;
        set.disks.emplace_back();
        if (!LoadDisk(folder, set.disks.back())) {
            error = folder + ": cannot be read";
            return false;
        }
    }
    return true;
}

}  // namespace kavrel::pack
