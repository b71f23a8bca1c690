#include "lha/SafeName.h"

#include "platform/Text.h"

namespace kavrel::lha {

NameProblem CheckComponent(const std::string& utf8) {
    if (utf8.empty()) return NameProblem::Empty;
    if (utf8 == "." || utf8 == "..") return NameProblem::DotName;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) return NameProblem::ForbiddenChar;
        switch (c) {
        case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
            return NameProblem::ForbiddenChar;
        default:
            break;
        }
    }
    const char last = utf8.back();
    if (last == '.' || last == ' ') return NameProblem::TrailingDotOrBlank;
    // Device names are devices whatever the extension ("nul.txt") and with blanks
    // before it ("CON .txt").
    std::string stem = AsciiUpper(utf8.substr(0, utf8.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices) {
        if (stem == d) return NameProblem::DeviceName;
    }
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
        stem[3] >= '0' && stem[3] <= '9') {
        return NameProblem::DeviceName;
    }
    // COM¹ COM² COM³ (superscript digits count as device names on Windows too)
    if (stem.size() == 5 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
        static_cast<unsigned char>(stem[3]) == 0xC2 &&
        (static_cast<unsigned char>(stem[4]) == 0xB9 || static_cast<unsigned char>(stem[4]) == 0xB2 ||
         static_cast<unsigned char>(stem[4]) == 0xB3)) {
        return NameProblem::DeviceName;
    }
    return NameProblem::None;
}

}  // namespace kavrel::lha
