// The run's log: one event per call, UTF-8. Where no log is kept, events go nowhere.
#pragma once

#include <string>

namespace kavrel {

class EventLog {
public:
    virtual ~EventLog() = default;
    virtual void Log(const std::string& event) = 0;
};

}  // namespace kavrel
