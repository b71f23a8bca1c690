// The command line of UNLHA32.dll's entry 301, in code page 932, after the classic LHA
// conventions:   e -mcw<work folder> "<archive>" "<destination>\"
//  - the command letter (e, x, t, l; either case) is the first word that is not a switch;
//  - switches start with '-' and combine: m (no prompts), c (overwrite without
//    comparing times), w<folder> (work folder: used only when it is Kavrel's own, see
//    lha/Staging.h); other letters are accepted and ignored. The work
//    folder runs up to the first quoted operand, blanks included, as the update run
//    writes the Windows directory unquoted ("-mcwC:\Program Files"); quoted, it is
//    one word; with no quoted operand after it, it ends at the next blank;
//  - double quotes group blanks into a word and are removed; backslashes are literal;
//  - then the archive (".lzh" in any case is tried when it does not exist as given)
//    and the destination folder, which may end in backslashes (a trailing backslash
//    that is the second byte of a double-byte character is part of the name).
#pragma once

#include <string>
#include <string_view>

#include "lha/Extractor.h"

namespace kavrel::lha {

struct ParsedCommandLine {
    Command command = Command::Extract;
    std::string archive;      // code page 932
    std::string destination;  // code page 932, without trailing backslashes ("C:\" stays)
    std::string workFolder;   // code page 932, as given after -w
};

// False with a Japanese message (UTF-8) when the line cannot be understood.
bool ParseCommandLine(std::string_view line, ParsedCommandLine& out, std::string& error);

// Removes trailing '\' and '/' that are not the second byte of a double-byte character;
// keeps "X:\" and "\" whole.
std::string StripTrailingSeparators(const std::string& cp932Path);

}  // namespace kavrel::lha
