// Small LZH archives made by hand for tests: level-0 headers, entries stored (-lh0-),
// each with its CRC-16, and the end mark. Tests damage them byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kavrel::test {

inline std::uint16_t Crc16(const std::string& data) {
    std::uint16_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

struct StoredEntry {
    std::string name;  // code page 932 bytes
    std::string data;
};

struct StoredArchive {
    std::string bytes;
    std::vector<std::size_t> dataOffsets;  // where each entry's data begins
};

inline StoredArchive MakeStoredArchive(const std::vector<StoredEntry>& entries) {
    // Built in a byte vector: GCC 12 at -O3 warns falsely about appending to strings here.
    std::vector<char> out;
    std::vector<std::size_t> offsets;
    const auto put = [](std::vector<char>& v, const std::string& bytes) { v.insert(v.end(), bytes.begin(), bytes.end()); };
    const auto le32 = [](std::vector<char>& v, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) v.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    for (const StoredEntry& e : entries) {
        std::vector<char> h;
        put(h, "-lh0-");
        le32(h, static_cast<std::uint32_t>(e.data.size()));
        le32(h, static_cast<std::uint32_t>(e.data.size()));
        le32(h, 0x5A2B6000u);  // 2025-01-11 12:00:00, MS-DOS form
        h.push_back('\x20');   // attribute: archive
        h.push_back('\x00');   // header level 0
        h.push_back(static_cast<char>(e.name.size()));
        put(h, e.name);
        const std::uint16_t crc = Crc16(e.data);
        h.push_back(static_cast<char>(crc & 0xFF));
        h.push_back(static_cast<char>(crc >> 8));
        unsigned sum = 0;
        for (char c : h) sum += static_cast<unsigned char>(c);
        out.push_back(static_cast<char>(h.size()));
        out.push_back(static_cast<char>(sum & 0xFF));
        out.insert(out.end(), h.begin(), h.end());
        offsets.push_back(out.size());
        put(out, e.data);
    }
    out.push_back('\0');
    return StoredArchive{std::string(out.begin(), out.end()), offsets};
}

}  // namespace kavrel::test
