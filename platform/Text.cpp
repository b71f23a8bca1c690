#include "platform/Text.h"

#include <algorithm>
#include <cstdint>

namespace kavrel {
namespace {

#include "platform/Cp932Table.inc"

constexpr char32_t kReplacementCp932 = 0x30FB;  // what Windows gives undefined bytes
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `pos`; returns false for a malformed one (pos advances
// by one byte then).
bool NextUtf8(std::string_view s, std::size_t& pos, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        cp = b0;
        ++pos;
        return true;
    }
    int len = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2; cp = b0 & 0x1F; min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3; cp = b0 & 0x0F; min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4; cp = b0 & 0x07; min = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + len > s.size()) {
        ++pos;
        return false;
    }
    for (int i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += len;
    return true;
}

int LeadIndex(unsigned char lead) {
    if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
    if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + 31;
    return -1;
}

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

bool IsCp932LeadByte(unsigned char byte) { return LeadIndex(byte) >= 0; }

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (b >= 0xA1 && b <= 0xDF) {
            AppendUtf8(out, 0xFF61 + (b - 0xA1));  // half-width katakana
        } else if (b == 0x80) {
            AppendUtf8(out, 0x0080);
        } else if (b == 0xA0) {
            AppendUtf8(out, 0xF8F0);
        } else if (b >= 0xFD) {
            AppendUtf8(out, 0xF8F1 + (b - 0xFD));
        } else {
            // Windows takes the byte after a lead byte as part of the character whatever
            // it is (an invalid pair gives one U+30FB), except a NUL or the end of input.
            const int lead = LeadIndex(b);
            if (i + 1 < bytes.size() && bytes[i + 1] != '\0') {
                const auto trail = static_cast<unsigned char>(bytes[i + 1]);
                const unsigned short u = IsTrailByte(trail) ? kCp932DoubleByte[lead][trail - 0x40] : 0;
                AppendUtf8(out, u != 0 ? u : kReplacementCp932);
                ++i;
            } else {
                AppendUtf8(out, kReplacementCp932);
            }
        }
    }
    return out;
}

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        if (!NextUtf8(utf8, pos, cp)) return false;
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

void Cp932UpperCase(std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (IsCp932LeadByte(b)) {
            ++i;  // the trail byte is part of the character, not a letter
        } else if (b >= 'a' && b <= 'z') {
            bytes[i] = static_cast<char>(b - 'a' + 'A');
        }
    }
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        if (!NextUtf8(utf8, pos, cp)) cp = kReplacement;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace kavrel
