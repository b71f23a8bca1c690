// The smallest program files Kavrel's readers and kavrel-pack take for one: PE32+ headers,
// one section, then whatever follows the image (a content list) and, when given, a
// certificate table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavrel::test {

inline void PutLe(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// A section of `raw` bytes: zeros, or pseudo-random ones from `seed`.
inline std::string PeImage(std::uint32_t raw, std::uint32_t seed, std::string_view overlay,
                           std::string_view certificate) {
    constexpr std::size_t kPe = 0x80, kOptional = kPe + 24, kOptionalSize = 240, kSections = kOptional + kOptionalSize;
    std::string image(0x200, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutLe(image, 0x3c, kPe, 4);
    image.replace(kPe, 4, std::string_view("PE\0\0", 4));
    PutLe(image, kPe + 6, 1, 2);                   // one section
    PutLe(image, kPe + 20, kOptionalSize, 2);
    PutLe(image, kOptional, 0x20b, 2);             // PE32+
    PutLe(image, kOptional + 108, 16, 4);          // data directories
    image.replace(kSections, 5, ".text");
    PutLe(image, kSections + 16, raw, 4);          // raw size
    PutLe(image, kSections + 20, 0x200, 4);        // raw data at
    for (std::uint32_t i = 0; i < raw; ++i) {
        seed = seed ? seed * 1103515245u + 12345u : 0;
        image += static_cast<char>(seed >> 24);
    }
    image += overlay;
    if (!certificate.empty()) {
        PutLe(image, kOptional + 112 + 4 * 8, static_cast<std::uint32_t>(image.size()), 4);
        PutLe(image, kOptional + 112 + 4 * 8 + 4, static_cast<std::uint32_t>(certificate.size()), 4);
        image += certificate;
    }
    return image;
}

inline std::string PeImageWith(std::string_view overlay, std::string_view certificate = {}) {
    return PeImage(0x200, 0, overlay, certificate);
}

// A stand-in for Kavrel.exe or UNLHA32.dll where only the size and the shape matter:
// `size` rounded down to 512, nothing after the image, no signature.
inline std::string StubProgram(std::size_t size, std::uint32_t seed = 1) {
    const auto raw = static_cast<std::uint32_t>(size > 1024 ? size / 512 * 512 - 512 : 512);
    return PeImage(raw, seed, {}, {});
}

}  // namespace kavrel::test
