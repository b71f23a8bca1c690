// A stand-in for Kavrel.exe or UNLHA32.dll where only the size and the shape of a PE file
// matter (kavrel-pack finds the end of its image and appends the content list there):
// headers and one section of pseudo-random bytes, `size` rounded down to 512.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavrel::test {

inline std::string StubProgram(std::size_t size, std::uint32_t seed = 1) {
    const std::uint32_t raw = static_cast<std::uint32_t>(size > 1024 ? size / 512 * 512 - 512 : 512);
    std::string pe(512, '\0');
    auto put = [&pe](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) pe[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    };
    pe[0] = 'M', pe[1] = 'Z';
    put(0x3c, 0x40, 4);
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    put(0x44, 0x14c, 2);   // i386
    put(0x46, 1, 2);       // one section
    put(0x54, 224, 2);     // PE32 optional header
    put(0x56, 0x102, 2);
    put(0x58, 0x10b, 2);
    put(0xb4, 16, 4);      // sixteen data directories, none in use (no signature)
    pe.replace(0x138, 5, ".text");
    put(0x138 + 16, raw, 4);
    put(0x138 + 20, 512, 4);
    for (std::uint32_t i = 0; i < raw; ++i) {
        seed = seed * 1103515245u + 12345u;
        pe += static_cast<char>(seed >> 24);
    }
    return pe;
}

}  // namespace kavrel::test
