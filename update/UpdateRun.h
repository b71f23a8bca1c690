// The update run: checks the chosen installation, registers the document file type and
// installs every item of the description, reporting each outcome in a message box.
#pragma once

#include <string>

#include "description/UpdateDescription.h"
#include "platform/Platform.h"

namespace kavrel {

// Returns 1 when the run is over (everything installed, cancelled at a disk prompt, or an
// item failed: the program ends) and 0 when the folder was refused or a per-system
// archive found no system number (the user chooses another folder).
// `sourceFolder` is the medium's folder, ending in a backslash or a bare "X:".
// What the run writes into `desc` (the probed settings-file name, the system number,
// the extended name of a START archive) stays there for later runs.
int RunUpdate(Platform& platform, UpdateDescription& desc, const std::string& sourceFolder);

}  // namespace kavrel
