// Assigns the items of a medium to disks in item order, splitting an archive that does
// not fit into several archives, each on one disk and each an item of its own.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "pack/Diagnostics.h"
#include "pack/DiskSpace.h"
#include "pack/InfoWriter.h"
#include "pack/Manifest.h"

namespace kavrel::pack {

// An LZH archive ends with one zero byte after its last entry.
inline constexpr std::uint64_t kArchiveEndBytes = 1;

// One file inside an archive; `cost` is what it takes there (header and data).
struct PackEntry {
    std::string source;  // the file to pack
    std::string stored;  // its name inside the archive
    std::uint64_t cost = 0;
};

struct PackItem {
    ItemKind kind = ItemKind::Archive;
    std::string name;    // field 3 as written: upper case, '\' separated, no ".lzh"
    std::string folder;  // field 4 as written
    int manifestLine = 0;
    int manifestIndex = 0;                              // which [[item]] (build options)
    std::string source;                                 // File: the file
    std::uint64_t size = 0;                             // File: its size
    std::vector<PackEntry> entries;                     // Archive
    std::map<int, std::vector<PackEntry>> systems;      // Start: by system number
};

// A file to put on a disk: a copy of `source`, or an archive of `entries`.
struct PlacedFile {
    std::string path;  // on the disk, '/' separated
    bool isArchive = false;
    std::string source;
    std::vector<PackEntry> entries;
    int manifestIndex = -1;  // -1 for the files every first disk carries
    std::uint64_t size = 0;  // as planned
};

struct PlannedDisk {
    DiskUsage usage;
    std::vector<PlacedFile> files;
    int items = 0;
    std::vector<std::string> itemNames;
};

struct DiskPlan {
    std::vector<ItemLine> lines;
    std::vector<PlannedDisk> disks;
};

struct FixedFile {
    std::string path;    // on disk 1
    std::string source;
    std::uint64_t size = 0;
};

// Places `fixed` on disk 1, then every item in order. A file that no disk can hold,
// a per-system archive that cannot be split evenly, or a name that two disks would
// share is an error naming the manifest line.
bool PlanDisks(const MediaType& type, const std::vector<FixedFile>& fixed, const std::vector<PackItem>& items,
               const std::string& manifestPath, DiskPlan& plan, Diagnostics& diags);

// Medium path of an archive item's file: its name with '/' and ".lzh".
std::string ArchivePath(const std::string& itemName);

}  // namespace kavrel::pack
