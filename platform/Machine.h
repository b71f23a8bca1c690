// What the run asks of the computer itself: its Windows folder, the programs running on
// it, and a clock for the log's timings.
#pragma once

#include <cstdint>
#include <string>

namespace kavrel {

class Machine {
public:
    virtual ~Machine() = default;
    virtual std::string WindowsDirectory() = 0;
    // Whether a running process was started from the program file `path`.
    virtual bool IsProgramRunning(const std::string& path) = 0;
    // Milliseconds from some fixed point.
    virtual std::uint64_t Milliseconds() = 0;
};

}  // namespace kavrel
