#include "platform/Text.h"

#include "platform/Utf8Codec.h"

namespace kavrel {

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
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
        if (!utf8::Next(utf8, pos, cp)) cp = utf8::kReplacement;
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
            cp = utf8::kReplacement;
        }
        utf8::Append(out, cp);
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

namespace {

std::string Decimal(unsigned long long magnitude, bool negative) {
    char digits[24];
    char* p = digits + sizeof digits;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--p = '-';
    return std::string(p, digits + sizeof digits);
}

}  // namespace

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (const std::string_view p : parts) size += p.size();
    std::string out;
    out.reserve(size);
    for (const std::string_view p : parts) out.append(p);
    return out;
}

std::string UnsignedDecimalText(unsigned long long value) { return Decimal(value, false); }

std::string SignedDecimalText(long long value) {
    // The magnitude as unsigned, so that the most negative value has one too.
    const auto magnitude = static_cast<unsigned long long>(value);
    return value < 0 ? Decimal(0ULL - magnitude, true) : Decimal(magnitude, false);
}

}  // namespace kavrel
