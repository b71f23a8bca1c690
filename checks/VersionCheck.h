// The version gate of the update run: the installed version, read from the installation's
// ConfigData.xml, must be the one the update is made for and one the program accepts.
#pragma once

#include <optional>
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

// The installed version: what the last line of folder + "\ConfigData.xml" that holds
// <Version>...</Version> names. Nothing when the file cannot be opened.
std::optional<std::string> InstalledVersion(FileReader& files, const std::string& folder);

// 1 when the installed version is the target version of `desc` and one the program
// knows (IsKnownVersion); else 0 (also when the file cannot be opened). `begunFrom`, the
// version an interrupted update of this same medium began from, stands in for the
// installed one: so the medium can finish what it began, its first items done or not.
int CheckVersion(FileReader& files, EventLog& log, const UpdateDescription& desc, const std::string& folder,
                 const std::string& begunFrom = {});

}  // namespace kavrel
