// The unattended update (/S): no window of any kind. The description is read, the folder
// comes from /D= or line 16, every message goes to the log with the answer taken, and a
// message-only window receives the archive library's reports.
#pragma once

#include <string>

#include "app/ExitCode.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

// `folder`: the installation folder from /D=, or empty for line 16 of info.txt.
ExitCode UnattendedUpdate(Win32Platform& platform, const std::string& folder);

}  // namespace kavrel
