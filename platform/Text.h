// Text conversions that must give the same bytes on Linux and on Windows: code page 932
// (info.txt, the archive command line, archive file names) and UTF-8 <-> UTF-16.
#pragma once

#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace kavrel {

// Lead byte of a double-byte code page 932 character.
bool IsCp932LeadByte(unsigned char byte);

// Code page 932 bytes to UTF-8, as MultiByteToWideChar(932, 0, ...) reads them:
// undefined characters become U+30FB.
std::string Cp932ToUtf8(std::string_view bytes);

// UTF-8 to code page 932. False (and `out` unspecified) when a character has no
// code page 932 form or the UTF-8 is malformed: never a silent substitute.
bool Utf8ToCp932(std::string_view utf8, std::string& out);

// Upper-cases single-byte a-z and leaves double-byte characters alone
// (their second byte may well lie in a-z).
void Cp932UpperCase(std::string& bytes);

// UTF-8 <-> UTF-16. Malformed UTF-8 becomes U+FFFD; lone surrogates likewise.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The parts one after another, in one allocation: in the shipped programs a chain of
// `+` costs code at every message; this costs one call.
std::string Concat(std::initializer_list<std::string_view> parts);

// Upper-cases ASCII a-z only.
std::string AsciiUpper(std::string_view text);

// A number of any integer type in decimal, as printf writes it ("-12", "0"). The
// shipped programs format numbers with this, not std::to_string, <sstream> or printf.
std::string SignedDecimalText(long long value);
std::string UnsignedDecimalText(unsigned long long value);
template <std::integral T>
std::string DecimalText(T value) {
    if constexpr (std::is_signed_v<T>) {
        return SignedDecimalText(value);
    } else {
        return UnsignedDecimalText(value);
    }
}

}  // namespace kavrel
