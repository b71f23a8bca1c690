// Names across the disks of a set. Kavrel recognises a disk by the file of the first
// item it needs from it, and an unattended copy of every disk into one folder needs
// every name once: so no name may lie on two disks, and no item's file may be found on
// a disk other than its own.
#pragma once

#include <string>
#include <vector>

#include "description/UpdateDescription.h"
#include "pack/Diagnostics.h"

namespace kavrel::pack {

struct DiskPlan;

// The key two names on a FAT disk share when they are the same file: upper case, '/'.
std::string NameKey(const std::string& path);

struct SharedName {
    std::string path;
    int firstDisk = 0;  // from 1
    int otherDisk = 0;
};
// Paths found on more than one disk; `files[d]` lists the files of disk d + 1.
std::vector<SharedName> FindSharedNames(const std::vector<std::vector<std::string>>& files);

// For every item (disk, kind, name), the disk test paths that lie on another disk.
struct MisleadingName {
    int item = 0;  // index into the items
    std::string path;
    int foundOn = 0;
};
std::vector<MisleadingName> FindMisleadingNames(const std::vector<UpdateItem>& items, const std::vector<int>& systems,
                                                const std::vector<std::vector<std::string>>& files);

// Both tests on a plan, as errors naming the manifest lines.
bool CheckPlannedNames(const DiskPlan& plan, const std::string& manifestPath, Diagnostics& diags);

}  // namespace kavrel::pack
