#include "pack/ArchiveBuild.h"

#include <map>

#include "lha/Archive.h"
#include "lha/encoder/ArchiveWriter.h"
#include "pack/MediumFiles.h"
#include "platform/Text.h"

namespace kavrel::pack {

bool BuildArchive(const std::string& path, const std::vector<PackEntry>& entries, const ArchiveOptions& options,
                  std::string& error) {
    std::vector<lha::SourceEntry> sources;
    for (const PackEntry& e : entries) sources.push_back(lha::SourceEntry{e.source, e.stored});
    lha::WriteOptions write;
    write.method = options.method;
    write.level = options.level;
    write.headerLevel = options.headerLevel;
    write.reproducible = true;
    return lha::WriteArchive(path, sources, write, error);
}

bool MeasureEntries(const std::string& archivePath, std::vector<PackEntry>& entries, std::string& error) {
    auto fs = MakeReadOnlyFileSystem();
    auto file = fs->OpenRead(archivePath);
    lha::ArchiveListing listing;
    if (!file || !lha::ReadArchive(*file, archivePath, listing, error)) {
        if (error.empty()) error = archivePath + ": cannot be read back";
        return false;
    }
    std::map<std::string, std::uint64_t> cost;
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        const lha::EntryHeader& h = listing.entries[i];
        const std::uint64_t end = i + 1 < listing.entries.size() ? listing.entries[i + 1].headerOffset
                                                                 : h.dataOffset + h.compressedSize;
        cost[Cp932ToUtf8(h.fileName)] = end - h.headerOffset;
    }
    for (PackEntry& e : entries) {
        const auto it = cost.find(e.stored);
        if (it == cost.end()) {
            error = archivePath + ": " + e.stored + " is missing from the archive just written";
            return false;
        }
        e.cost = it->second;
    }
    return true;
}

}  // namespace kavrel::pack
