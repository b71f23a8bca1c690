// kavrel-pack build: from update.toml to a medium. Everything is checked and planned
// (archives built and measured in a temporary folder) before the first byte is written
// to the output, so a fault leaves the output as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/Diagnostics.h"

namespace kavrel::pack {

struct BuildOptions {
    std::string manifest;
    std::string out;
    // Folders that may hold the dists (win32/, win64/ with Kavrel.exe and UNLHA32.dll),
    // tried in order.
    std::vector<std::string> distRoots;
    bool force = false;  // replace whatever `out` holds
};

struct DiskSummary {
    int number = 0;
    std::string folder;
    std::vector<std::string> items;  // item names as info.txt writes them
    std::uint64_t used = 0;
    std::uint64_t free = 0;
};

struct BuildResult {
    std::string media;
    bool floppy = false;
    std::vector<DiskSummary> disks;
};

bool BuildMedium(const BuildOptions& options, BuildResult& result, Diagnostics& diags);

// The table the tool prints: disk, items, bytes used, bytes free.
std::string FormatTable(const BuildResult& result);

}  // namespace kavrel::pack
