// The archive library's view of a medium for the vendor tool: files can be found and
// read, and nothing can be created, moved or removed, so a full test of an archive
// cannot change the medium whatever the library does.
#pragma once

#include <memory>

#include "lha/FileSystem.h"

namespace kavrel::pack {

std::unique_ptr<lha::FileSystem> MakeReadOnlyFileSystem();

}  // namespace kavrel::pack
