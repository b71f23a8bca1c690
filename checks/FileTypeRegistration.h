// The registry step of the update run: points the product's document extensions at its
// file type "veskofile", whose open command and icon name the installation's main.exe,
// and whose name is the installed system's text.
#pragma once

#include <string>

#include "description/UpdateDescription.h"
#include "platform/Platform.h"

namespace kavrel {

// Writes the file-type keys under HKEY_CLASSES_ROOT for the installation in `folder`
// (expected to end with a backslash), stores the system number in
// desc.m_nSystemNumber and tells the shell. Registry failures are silent; a missing
// system name is reported in a message box and leaves the file type's name empty.
void RegisterFileType(Platform& platform, UpdateDescription& desc, const std::string& folder);

}  // namespace kavrel
