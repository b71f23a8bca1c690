// Kavrel's command line, for administrators who push the update with the tools their site
// already runs:   Kavrel.exe [/S] [/CHECK] [/LOG=<file>] [/D=<folder>]   or   Kavrel.exe /?
// Switches in any case and any order, except /D=, which comes last and takes the rest of
// the line, so that a folder with blanks needs no quotes; quoted values are accepted too.
// Parsed by hand: Kavrel.exe ships on floppies and five switches need no library.
#pragma once

#include <string>
#include <string_view>

namespace kavrel {

struct StartOptions {
    bool unattended = false;  // /S: no window of any kind
    bool help = false;        // /?: the usage, nothing else
    bool check = false;       // /CHECK: everything before the first change, then the verdict
    std::string folder;       // /D=: the installation folder (UTF-8, as given)
    std::string logFile;      // /LOG=: where the run's log goes (UTF-8, as given)
};

// `arguments` is the command line after the program's name. False with the reason in
// `error` (English, for the usage box and the log) when a switch is unknown or malformed.
bool ParseStartOptions(std::string_view arguments, StartOptions& options, std::string& error);

// What follows the program's name in a Windows command line (quoted or not).
std::string_view ArgumentsOf(std::string_view commandLine);

// Whether a line that failed to parse still asks for an unattended run (a /S among its
// words): then its usage error must not open a window either.
bool MentionsUnattended(std::string_view arguments);

// The usage, in Japanese, for the message box or the console.
std::string UsageText();

}  // namespace kavrel
