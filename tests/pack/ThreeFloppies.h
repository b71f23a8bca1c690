// The sources of tests/pack/three-floppies/update.toml, generated (the same bytes on
// Linux and under Wine): text that compresses, and random bytes that do not, enough
// for three 720 KB floppies.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kavrel::pack::test {

inline std::string RandomBytes(std::uint32_t seed, std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

inline std::string TextLines(const std::string& what, int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += what + " line " + std::to_string(i) + "\r\n";
    return text;
}

// Relative path ('/'-separated, below the manifest's folder) and contents, and where
// each file lands in the installation ('\'-separated).
struct SourceFile {
    std::string path;
    std::string bytes;
    std::string installed;
};

inline std::vector<SourceFile> ThreeFloppySources() {
    return {
        {"sources/prog/PROG.DAT", TextLines("program table", 3000), "BIN\\PROG.DAT"},
        {"sources/prog/VERSION.TXT", "Morvane V6.1\r\n", "BIN\\VERSION.TXT"},
        {"sources/data/DATA1.BIN", RandomBytes(1, 300 * 1024), "DATA\\DATA1.BIN"},
        {"sources/data/DATA2.BIN", RandomBytes(2, 300 * 1024), "DATA\\DATA2.BIN"},
        {"sources/data/DATA3.BIN", RandomBytes(3, 250 * 1024), "DATA\\DATA3.BIN"},
        {"sources/README.TXT", "\x83\x82\x83\x8B\x83\x78\x81\x5B\x83\x93\r\n", "README.TXT"},
        {"sources/start/SYSTEM.INI", "[System]\r\nNumber=12\r\n", "BIN\\SYSTEM.INI"},
        {"sources/maps/MAP1.BIN", RandomBytes(4, 200 * 1024), "DATA\\MAPS\\MAP1.BIN"},
        {"sources/maps/MAP2.BIN", TextLines("map", 5000), "DATA\\MAPS\\MAP2.BIN"},
        {"sources/docs/NOTES.TXT", "notes\r\n", "DOC\\NOTES.TXT"},
    };
}

}  // namespace kavrel::pack::test
