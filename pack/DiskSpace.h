// What files really take on a medium. A floppy is FAT12: every file takes whole
// clusters, every name takes a 32-byte directory entry (and a long name more), the root
// folder has a fixed number of entries, and a sub-folder takes clusters of its own.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel::pack {

struct MediaType {
    std::string name;            // as the manifest writes it
    std::uint64_t capacity = 0;  // bytes of the data area; 0 = no limit (one folder)
    std::uint32_t cluster = 1;
    int rootEntries = 0;
    bool IsFloppy() const { return capacity != 0; }
};

// "folder", "floppy-1.44", "floppy-1.2", "floppy-720"; false for anything else.
bool FindMediaType(std::string_view name, MediaType& type);
// Every media name FindMediaType knows, in that order.
std::vector<std::string> MediaNames();
// The same as words for a message: "\"folder\", \"floppy-1.44\", ... or \"floppy-720\"".
std::string MediaNamesText();

// Directory entries a name takes on FAT: 1 for an upper-case 8.3 name, else 1 plus one
// per 13 UTF-16 units of the long name (counted without trusting any system to keep a
// mixed-case short name without one).
int DirectoryEntriesFor(std::string_view utf8Name);

// The files of one disk, as the disk would hold them.
class DiskUsage {
public:
    explicit DiskUsage(const MediaType& type) : type_(type) {}

    // Adds a file at `path` ('/' separated, relative to the disk's root), fitting or not
    // (a disk being checked may well be over its capacity).
    void Add(const std::string& path, std::uint64_t size);
    // Adds it only when it fits; false, with nothing added, when not.
    bool TryAdd(const std::string& path, std::uint64_t size);
    bool Fits(const std::string& path, std::uint64_t size) const;

    std::uint64_t UsedBytes() const;
    // Free bytes of the data area (0 on a folder medium, which has no limit).
    std::uint64_t FreeBytes() const;
    bool OverCapacity() const;
    int RootEntriesUsed() const;
    const MediaType& Type() const { return type_; }

private:
    std::uint64_t Clusters(std::uint64_t bytes) const;
    std::uint64_t UsedClusters() const;

    MediaType type_;
    std::uint64_t fileClusters_ = 0;
    std::uint64_t bytes_ = 0;                 // for a folder medium: plain bytes
    std::map<std::string, int> entries_;      // folder ("" = root) -> directory entries in it
};

}  // namespace kavrel::pack
