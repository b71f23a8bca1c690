// Reading info.txt, the update's description on the medium, into an UpdateDescription.
#pragma once

#include <string>

#include "description/UpdateDescription.h"
#include "platform/Platform.h"

namespace kavrel {

// Reads sourceFolder + "info.txt" (plain concatenation). 1 when the file was opened and
// read, 0 when it cannot be opened (the texts then keep their values and there are no
// items). Never fails on the content: garbage gives garbage texts, not a crash.
int ReadInfoFile(Platform& platform, const std::string& sourceFolder, UpdateDescription& desc);

// The first line of sourceFolder + "info.txt", decoded to UTF-8; empty when the file
// cannot be opened. The main window's title.
std::string ReadInfoTitle(Platform& platform, const std::string& sourceFolder);

// One line for the run's log: what was read (title, settings file, target version,
// number of items).
std::string DescribeForLog(const UpdateDescription& desc);

// Turns the TAB line-break marks of a notes text (code page 932 bytes, not yet decoded)
// into CR LF: at most 100 TABs, each becomes CR and the byte after it LF, so the length
// stays the same. A TAB as the very last byte has no filler after it: it becomes CR and
// an LF is appended, so the text still ends with a whole line break.
void TabsToLineBreaks(std::string& text);

}  // namespace kavrel
