// The file system of UNLHA32.dll: wide-character Win32 calls, UTF-8 paths converted to
// UTF-16 at each call.
#pragma once

#include <memory>

#include "lha/FileSystem.h"

namespace kavrel::lha {

std::unique_ptr<FileSystem> MakeWin32FileSystem();

}  // namespace kavrel::lha
