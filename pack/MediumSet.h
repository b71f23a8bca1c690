// The folders of a medium: one folder, or the folders of a floppy set (disk1, disk2, ...
// side by side), with every file each holds, found as Windows finds them (letter case
// does not matter).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kavrel::pack {

struct MediumDisk {
    std::string folder;                        // UTF-8
    std::vector<std::string> files;            // relative, '/' separated
    std::map<std::string, std::string> byKey;  // NameKey -> relative path as on disk
    // The path of `name` ('\' or '/' separated) on this disk, or empty when absent.
    std::string Find(const std::string& name) const;
};

struct MediumSet {
    std::vector<MediumDisk> disks;  // disks[0] holds info.txt
    bool isDiskSet = false;         // folders named disk1, disk2, ...
};

// `medium` is a folder holding info.txt, the folder of disk 1 of a set (named disk1,
// beside disk2, ...), or the folder that holds disk1, disk2, .... False with a message
// when no info.txt is found.
bool FindMediumSet(const std::string& medium, MediumSet& set, std::string& error);

}  // namespace kavrel::pack
