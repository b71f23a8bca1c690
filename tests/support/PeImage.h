// The smallest program file Kavrel's readers take for one: a PE32+ header, one section,
// then whatever follows the image (a content list) and, when given, a certificate table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavrel::test {

inline void PutLe(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

inline std::string PeImageWith(std::string_view overlay, std::string_view certificate = {}) {
    constexpr std::size_t kPe = 0x80, kOptional = kPe + 24, kOptionalSize = 240, kSections = kOptional + kOptionalSize;
    std::string image(0x400, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutLe(image, 0x3c, kPe, 4);
    image.replace(kPe, 4, std::string_view("PE\0\0", 4));
    PutLe(image, kPe + 6, 1, 2);                   // one section
    PutLe(image, kPe + 20, kOptionalSize, 2);
    PutLe(image, kOptional, 0x20b, 2);             // PE32+
    PutLe(image, kOptional + 108, 16, 4);          // data directories
    PutLe(image, kSections + 16, 0x200, 4);        // raw size
    PutLe(image, kSections + 20, 0x200, 4);        // raw data at
    image += overlay;
    if (!certificate.empty()) {
        PutLe(image, kOptional + 112 + 4 * 8, static_cast<std::uint32_t>(image.size()), 4);
        PutLe(image, kOptional + 112 + 4 * 8 + 4, static_cast<std::uint32_t>(certificate.size()), 4);
        image += certificate;
    }
    return image;
}

}  // namespace kavrel::test
