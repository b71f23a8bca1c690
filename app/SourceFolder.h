// The Source folder: the drive and directory of the program file, i.e. the update
// medium. Every file taken from the medium is this text followed by a relative name.
#pragma once

#include <string>

namespace kavrel {

// From the program's full path ("D:\SETUP\Kavrel.exe" -> "D:\SETUP\"). At a drive root
// the backslash stays ("A:\"): without it every name built from the folder would be
// drive-relative and follow wherever folder browsing left that drive's directory.
std::string SourceFolderFromModulePath(const std::string& modulePath);

}  // namespace kavrel
