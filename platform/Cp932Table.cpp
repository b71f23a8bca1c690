// The code page 932 codec of our own, from Microsoft's table: what Windows'
// MultiByteToWideChar/WideCharToMultiByte(932) do, byte for byte (a Wine test compares
// every sequence). The native build converts with it; Windows builds use the system's.
#include "platform/Cp932Table.h"

#include <algorithm>
#include <cstdint>

#include "platform/Text.h"
#include "platform/Utf8Codec.h"

namespace kavrel {
namespace {

#include "platform/Cp932Table.inc"

constexpr char32_t kReplacementCp932 = 0x30FB;  // what Windows gives undefined bytes

int LeadIndex(unsigned char lead) {
    if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
    if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + 31;
    return -1;
}

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

std::string Cp932ToUtf8ByTable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (b >= 0xA1 && b <= 0xDF) {
            utf8::Append(out, 0xFF61 + (b - 0xA1));  // half-width katakana
        } else if (b == 0x80) {
            utf8::Append(out, 0x0080);
        } else if (b == 0xA0) {
            utf8::Append(out, 0xF8F0);
        } else if (b >= 0xFD) {
            utf8::Append(out, 0xF8F1 + (b - 0xFD));
        } else {
            // Windows takes the byte after a lead byte as part of the character whatever
            // it is (an invalid pair gives one U+30FB), except a NUL or the end of input.
            const int lead = LeadIndex(b);
            if (i + 1 < bytes.size() && bytes[i + 1] != '\0') {
                const auto trail = static_cast<unsigned char>(bytes[i + 1]);
                const unsigned short u = IsTrailByte(trail) ? kCp932DoubleByte[lead][trail - 0x40] : 0;
                utf8::Append(out, u != 0 ? u : kReplacementCp932);
                ++i;
            } else {
                utf8::Append(out, kReplacementCp932);
            }
        }
    }
    return out;
}

bool Utf8ToCp932ByTable(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        if (!utf8::Next(utf8, pos, cp)) return false;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (cp > 0xFFFF) return false;
        const auto* end = kCp932Encode + std::size(kCp932Encode);
        const auto* it = std::lower_bound(kCp932Encode, end, cp,
            [](const Cp932EncodeEntry& e, char32_t c) { return e.unicode < c; });
        if (it == end || it->unicode != cp) return false;
        if (it->bytes > 0xFF) out += static_cast<char>(it->bytes >> 8);
        out += static_cast<char>(it->bytes & 0xFF);
    }
    return true;
}

}  // namespace kavrel
