// Small archives built in memory, for the native tests and the tests under Wine alike.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lha/Crc16.h"

namespace kavrel::lha::test {

inline void PutLe16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& s, std::uint32_t v) {
    PutLe16(s, v & 0xFFFF);
    PutLe16(s, v >> 16);
}

// A level 0 header for `data` already compressed with `method` ("-lh0-").
inline std::string Level0Entry(const std::string& path, const std::string& packed, std::uint32_t original,
                               std::uint16_t crc, const char* method = "-lh0-") {
    std::string h;
    h += method;
    PutLe32(h, static_cast<std::uint32_t>(packed.size()));
    PutLe32(h, original);
    PutLe32(h, 0x5A210000u);  // 2025-01-01 00:00
    h += '\x20';
    h += '\x00';
    h += static_cast<char>(path.size());
    h += path;
    PutLe16(h, crc);
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    std::string out;
    out += static_cast<char>(h.size());
    out += static_cast<char>(sum & 0xFF);
    return out + h + packed;
}
inline std::string StoredEntry(const std::string& path, const std::string& data) {
    return Level0Entry(path, data, static_cast<std::uint32_t>(data.size()), Crc16(data.data(), data.size()));
}

// Extended headers of a type and its data.
using Extensions = std::vector<std::pair<std::uint8_t, std::string>>;

// UTF-16LE bytes, as extended headers 0x44 (name) and 0x45 (folders) hold them.
inline std::string Utf16Le(const std::u16string& text) {
    std::string s;
    for (const char16_t c : text) PutLe16(s, c);
    return s;
}

// A level 2 entry with directory (0xFF separated) and file name extended headers, and
// `more` after them. An `original` size past 32 bits goes into a 64-bit size extended
// header (0x42).
inline std::string Level2Entry(const std::string& directory, const std::string& name, const std::string& packed,
                               std::uint64_t original, std::uint16_t crc, const char* method = "-lh0-",
                               const Extensions& more = {}) {
    std::string ext;
    auto add = [&](std::uint8_t type, const std::string& data) {
        std::string e;
        e += static_cast<char>(type);
        e += data;
        PutLe16(ext, static_cast<unsigned>(e.size() + 2));
        ext += e;
    };
    std::string h;
    h += method;
    PutLe32(h, static_cast<std::uint32_t>(packed.size()));
    PutLe32(h, static_cast<std::uint32_t>(original));
    PutLe32(h, 1735689600u);
    h += '\x20';
    h += '\x02';
    PutLe16(h, crc);
    h += 'W';
    // Chain: each header is preceded by its size; the last size is 0.
    add(0x01, name);
    if (!directory.empty()) add(0x02, directory);
    if (original > 0xFFFFFFFFu) {
        std::string sizes;
        PutLe32(sizes, static_cast<std::uint32_t>(packed.size()));
        PutLe32(sizes, 0);
        PutLe32(sizes, static_cast<std::uint32_t>(original));
        PutLe32(sizes, static_cast<std::uint32_t>(original >> 32));
        add(0x42, sizes);
    }
    for (const auto& [type, data] : more) add(type, data);
    PutLe16(ext, 0);
    std::string total;
    PutLe16(total, static_cast<unsigned>(2 + h.size() + ext.size()));
    std::string out = total + h + ext;
    if ((out.size() & 0xFF) == 0) {
        out += '\0';
        out[0] = static_cast<char>(out.size() & 0xFF);
        out[1] = static_cast<char>(out.size() >> 8);
    }
    return out + packed;
}
inline std::string StoredEntry2(const std::string& directory, const std::string& name, const std::string& data,
                                const Extensions& more = {}) {
    return Level2Entry(directory, name, data, static_cast<std::uint32_t>(data.size()),
                       Crc16(data.data(), data.size()), "-lh0-", more);
}

}  // namespace kavrel::lha::test
