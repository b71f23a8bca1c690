// The names behind the destination page's folder list: ".." first, then every
// sub-folder the directory search returns (hidden and dot-named ones too), never files.
#pragma once

#include <string>
#include <vector>

#include "platform/Files.h"

namespace kavrel {

// `searchSpec` is a pattern such as "c:\*.*" or "c:.\*.*". No limit on the number of
// folders or on name lengths.
std::vector<std::string> CollectSubfolders(FolderSearch& files, const std::string& searchSpec);

// "[name]" as the list shows an entry, and back: the name is the entry without its first
// and last character, so names that themselves hold brackets survive the round trip.
std::string FolderEntry(const std::string& name);
std::string FolderNameFromEntry(const std::string& entry);

}  // namespace kavrel
