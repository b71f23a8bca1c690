// The archives of a medium, made with Kavrel's own encoder: reproducible (a fixed time
// and a sorted order), so the same manifest gives the same bytes on every build.
#pragma once

#include <string>
#include <vector>

#include "pack/DiskPlan.h"
#include "pack/Manifest.h"

namespace kavrel::pack {

struct ArchiveOptions {
    Method method = Method::Lh7;
    int level = 0;
    int headerLevel = 2;
};

// Writes an archive of `entries` (each file under its stored name).
bool BuildArchive(const std::string& path, const std::vector<PackEntry>& entries, const ArchiveOptions& options,
                  std::string& error);

// What each entry takes in a built archive (its header and data), by stored name: LZH
// compresses every entry on its own, so a part of the entries takes the sum of theirs.
bool MeasureEntries(const std::string& archivePath, std::vector<PackEntry>& entries, std::string& error);

}  // namespace kavrel::pack
