// The entries of an archive: finds where the LZH data begin (at 0, or after the
// program stub of a self-extracting archive) and reads every header up front.
#pragma once

#include <string>
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha {

struct ArchiveListing {
    std::vector<EntryHeader> entries;
    std::uint64_t start = 0;  // offset of the first header
};

// True with the entries, or false with a Japanese message in `error`. Every header is
// checked (checksum/CRC, sizes, data inside the file) before this returns true.
bool ReadArchive(RandomAccess& file, const std::string& displayName, ArchiveListing& listing, std::string& error);

// Offset of the first header: 0, or the first plausible header after a stub. False
// when there is none.
bool FindArchiveStart(RandomAccess& file, std::uint64_t& start);

}  // namespace kavrel::lha
