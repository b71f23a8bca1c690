// The entries of an archive to be written: the caller's files and folders expanded into
// everything below them, names checked and turned into code page 932.
#pragma once

#include <string>
#include <vector>

#include "lha/SafeName.h"
#include "lha/encoder/ArchiveWriter.h"
#include "lha/encoder/SourceFileSystem.h"

namespace kavrel::lha::encoder {

struct PlannedEntry {
    std::string sourcePath;
    std::string storedPath;              // UTF-8, '/'-separated, as given
    std::vector<std::string> directory;  // code page 932 components
    std::string name;                    // code page 932; empty for a folder
    SourceInfo info;
};

// Expands `entries`; files whose identity is in `skip` (the archive itself) are left
// out. False with a message naming the source when something cannot be archived:
// a missing or unreadable source, a link or device, a stored path that leaves the
// archive's top, that Windows cannot create or code page 932 cannot express, a path
// given twice.
bool PlanEntries(SourceFileSystem& fs, const std::vector<SourceEntry>& entries, bool sorted,
                 const std::vector<SourceInfo>& skip, std::vector<PlannedEntry>& planned, std::string& error);

// Splits a stored path into components. Returns the problem of the first one that
// extraction would refuse (empty, ".", "..", a name Windows cannot create), or None.
NameProblem SplitStoredPath(const std::string& path, std::vector<std::string>& components);

}  // namespace kavrel::lha::encoder
