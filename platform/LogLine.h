// One line of the run's log: a local timestamp to the millisecond, the event, CR LF.
// The log is UTF-8 with a byte-order mark, so that Notepad shows it right on a Windows
// of any language.
#pragma once

#include <string>
#include <string_view>

namespace kavrel {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// "2026-12-08 09:41:02.123 <event>\r\n". Line breaks inside the event (a message box's
// text) become " / ", so that every event stays one line.
std::string FormatLogLine(const LocalTime& time, std::string_view event);

}  // namespace kavrel
