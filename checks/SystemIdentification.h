// Questions the update run asks about the installation folder the user chose, before it
// installs anything. None of them shows a message or writes a file.
#pragma once

#include <string>

#include "description/UpdateDescription.h"
#include "platform/EventLog.h"
#include "platform/Files.h"

namespace kavrel {

// 1 when `folder` holds an installation this update may be applied to, judged by where
// the settings file lies: for target version "V5.0 L01" it must be in emst\07, for any
// other target version it must NOT be in ZAVURE\Ges. When the first probe fails, one
// backslash is appended to `folder` (also when it already ends with one) and the probe
// is repeated; the caller keeps using the changed text.
int CheckInstallFolder(FileReader& files, EventLog& log, const UpdateDescription& desc, std::string& folder,
                       const std::string& settingsFile);

// 1 when `folder` exists and holds main.exe (a file or a folder of that name).
int CheckMainProgram(FileReader& files, EventLog& log, const std::string& folder);

// The installed system: the position (1 to 15) of the first system name found in the
// stem of the icon file the directory search returns last, or -1.
int FindSystemNumber(FolderSearch& files, EventLog& log, const UpdateDescription& desc, const std::string& folder);

}  // namespace kavrel
