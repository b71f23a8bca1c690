// The rules of an item of info.txt that the update run and the vendor's tools must read
// alike: written once here, so that a medium is checked as it is installed.
#pragma once

#include <string>
#include <vector>

#include "description/UpdateDescription.h"

namespace kavrel {

// An archive item's file on the medium: its name followed by ".lzh".
std::string ArchiveFileName(const std::string& itemName);

// The name of a per-system archive's item, as info.txt and a vendor's manifest write it.
inline constexpr const char* kSystemArchiveName = "START";

// A per-system archive: an archive item whose name's file-name part, without folders and
// extension, is kSystemArchiveName (letters as they stand). The run extracts it under the name with
// the installed system's number appended.
bool IsSystemArchive(const std::string& itemName);
bool IsSystemArchive(const UpdateItem& item);
// "START" and system 12: "START12".
std::string SystemArchiveName(const std::string& itemName, int system);

// The files on the medium an item is installed from, for each of `systems` where it is
// a per-system archive: a plain file's own name, an archive's ".lzh".
std::vector<std::string> ItemSourceFiles(const UpdateItem& item, const std::vector<int>& systems);

// The files whose presence tells that the disk in the drive holds the item, when its
// disk was asked for: "<name>.lzh" for every kind, as the product has always looked, and
// the files the item really needs (a plain file or a per-system archive never lies on a
// disk under that name, and the prompt could not be passed otherwise).
std::vector<std::string> DiskTestFiles(const UpdateItem& item, const std::vector<int>& systems);

// The name a plain file gets in its target folder: the item's file-name part and
// extension; its directory part says where it lies on the medium, not where it goes.
std::string PlainFileTargetName(const std::string& itemName);

}  // namespace kavrel
