// Encoding findings of the info.txt reader: which bytes code page 932 does not define,
// and whether a line is really UTF-8 (a notes text saved by a modern editor).
#include <algorithm>
#include <string>

#include "description/InfoFile.h"
#include "platform/Text.h"

namespace kavrel {
namespace {

constexpr char kUndefinedMark[] = "\xE3\x83\xBB";  // U+30FB, what Windows gives undefined pairs

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

std::size_t FindNonCp932(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
        if (!IsCp932LeadByte(b)) return i;  // 0x80, 0xA0, 0xFD-0xFF
        if (i + 1 >= bytes.size() || !IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) return i;
        // The pair is defined unless the table gives it the mark of an undefined one; the
        // mark's own code (0x81 0x45) is of course defined.
        const std::string_view pair = bytes.substr(i, 2);
        if (pair != "\x81\x45" && Cp932ToUtf8(pair) == kUndefinedMark) return i;
        ++i;
    }
    return std::string_view::npos;
}

bool LooksLikeUtf8(std::string_view bytes) {
    const bool multiByte = std::any_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    // Malformed UTF-8 does not survive the round trip: it comes back as U+FFFD.
    return multiByte && Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes;
}

}  // namespace kavrel
