// The version gate of the update run: the installed version, read from the installation's
// ConfigData.xml, must be the one the update is made for and one the program accepts.
#pragma once

#include <string>

#include "description/UpdateDescription.h"
#include "platform/EventLog.h"
#include "platform/Files.h"

namespace kavrel {

// Finds the first `openTag` and the first `closeTag` in `line`. When both are there, the
// line is cut at the closing tag and the index of the first byte after the opening tag is
// returned (never 0); otherwise 0 and the line is left alone. The opening tag need not
// come first: then the index lies beyond the cut line, and the content is the rest of the
// line as it was before the cut.
int GetTagContent(const std::string& openTag, const std::string& closeTag, std::string& line);

// 1 when the last line of folder + "\ConfigData.xml" that holds <Version>...</Version>
// names the target version of `desc` and that version is one the program knows
// (IsKnownVersion); else 0 (also when the file cannot be opened).
int CheckVersion(FileReader& files, EventLog& log, const UpdateDescription& desc, const std::string& folder);

}  // namespace kavrel
