#include "platform/LogLine.h"

#include <cstdio>

namespace kavrel {

std::string FormatLogLine(const LocalTime& t, std::string_view event) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    std::string line = stamp;
    for (std::size_t i = 0; i < event.size(); ++i) {
        const char c = event[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < event.size() && event[i + 1] == '\n') ++i;
            line += " / ";
        } else {
            line += c;
        }
    }
    line += "\r\n";
    return line;
}

}  // namespace kavrel
