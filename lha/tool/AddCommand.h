// kavrel-lha a: writes an archive with Kavrel's own encoder.
#pragma once

#include <string>
#include <vector>

namespace kavrel::lha {

// `args` are the words after "a" (UTF-8). Prints what went in; returns the exit code
// (0 done, 1 failed, 2 usage).
int RunAddCommand(const std::vector<std::string>& args);

}  // namespace kavrel::lha
