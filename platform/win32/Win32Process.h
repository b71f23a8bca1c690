// What the program asks of Windows about itself: where its file lies, which Windows it
// runs on, and the console it may have been started from.
#pragma once

#include <string>

namespace kavrel {

// The full path of the program file (or of a DLL the process has loaded: its HMODULE),
// however long.
std::string ModulePath(void* module = nullptr);
// "10.0 build 19045": the version Windows really is (GetVersionEx answers what the
// manifest claims); "unknown" when it cannot be told.
std::string WindowsVersionText();
// Writes the text where whoever started us can read it: a redirected output, the console
// we were started from, or else nowhere (false).
bool WriteToConsole(const std::string& text);

}  // namespace kavrel
