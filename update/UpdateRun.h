// The update run: checks the chosen installation and everything that can be known
// before a change, registers the document file type and installs every item of the
// description, reporting each outcome through the user dialogue and the log. It does
// not know whether a person or a deployment tool started it.
#pragma once

#include <string>

#include "description/UpdateDescription.h"
#include "platform/RunSeams.h"
#include "update/Outcome.h"

namespace kavrel {

// What one run leaves for the next within the same program: the disk a removable
// medium's drive holds now.
struct MediumState {
    int diskInDrive = 1;
};

// Install: the update itself. Check: everything before the first change, then the verdict
// (Completed: the update would apply); nothing is written and no disk is asked for.
enum class RunMode { Install, Check };

// `sourceFolder` is the medium's folder, ending in a backslash or a bare "X:".
// What the run writes into `desc` (the probed settings-file name, the system number)
// stays there for later runs; the item table is left as info.txt names it.
RunOutcome RunUpdate(const RunSeams& seams, UpdateDescription& desc, const std::string& sourceFolder,
                     MediumState& medium, RunMode mode = RunMode::Install);

}  // namespace kavrel
