// The unattended update (/S): no window of any kind. The description is read, the folder
// comes from /D= or line 16, and every message goes to the log with the answer taken.
#pragma once

#include <string>

#include "platform/win32/Win32Seams.h"
#include "update/Outcome.h"
#include "update/UpdateRun.h"

namespace kavrel {

// `folder`: the installation folder from /D=, or empty for line 16 of info.txt. The
// check (/CHECK) takes the same way, with or without windows.
ExitCode UnattendedUpdate(Win32Seams& seams, const std::string& sourceFolder, const std::string& folder,
                          RunMode mode);

}  // namespace kavrel
