// Where the tool meets its operating system: arguments in UTF-8, UTF-8 output, and the
// folders the dists are looked for in.
#pragma once

#include <string>
#include <vector>

namespace kavrel::pack {

// Beside the tool's folder (dist/tools-win64 -> dist/), then the build's own dist/.
std::vector<std::string> DefaultDistRoots();

}  // namespace kavrel::pack

// The tool itself, on UTF-8 arguments (the program name first).
int RunTool(std::vector<std::string> args);
