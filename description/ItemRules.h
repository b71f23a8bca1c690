// The rules of an item of info.txt that the update run and the vendor's tools must read
// alike: written once here, so that a medium is checked as it is installed.
#pragma once

#include <string>

namespace kavrel {

// A per-system archive: its name's file-name part, without folders and extension, is
// "START" (letters as they stand). The run extracts it under the name with the installed
// system's number appended.
bool IsSystemArchive(const std::string& itemName);

}  // namespace kavrel
