// What the run asks of the computer, on Win32.
#pragma once

#include "platform/Machine.h"

namespace kavrel {

class Win32Machine : public Machine {
public:
    std::string WindowsDirectory() override;
    bool IsProgramRunning(const std::string& path) override;
    std::uint64_t Milliseconds() override;
};

// The full path of `path` against the current folder now (doubled backslashes and "."
// resolved); `path` itself when the system cannot tell.
std::string AbsolutePath(const std::string& path);

}  // namespace kavrel
