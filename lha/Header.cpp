// What the header levels share: dispatch on the level byte, extended headers, paths.
#include "lha/Header.h"

#include <cstring>

#include "platform/Text.h"

namespace kavrel::lha {

bool MemoryFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset > size_ || size > size_ - offset) return false;
    if (size) std::memcpy(buffer, data_ + offset, size);
    return true;
}

namespace {
std::string Joined(const std::vector<std::string>& folders, const std::string& name) {
    std::string path;
    for (const std::string& d : folders) path += d + "/";
    return path + name;
}
}  // namespace

std::string EntryHeader::Path() const { return Joined(directory, fileName); }
std::string EntryHeader::PathUtf8() const { return Joined(directoryUtf8, fileNameUtf8); }

namespace detail {

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t Le64(const std::uint8_t* p) { return Le32(p) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32); }

namespace {

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Position of the first single-byte `ch` outside double-byte characters, or npos.
std::size_t FindSingleByte(const std::string& s, char ch) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (IsCp932LeadByte(c) && i + 1 < s.size() && IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
            ++i;
            continue;
        }
        if (s[i] == ch) return i;
    }
    return std::string::npos;
}

bool IsSeparatorAt(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    return c == 0xFF || c == '/' || c == '\\';
}

bool EndsWithSeparator(const std::string& s) {
    bool last = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (IsCp932LeadByte(c) && i + 1 < s.size() && IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
            ++i;
            last = false;
        } else {
            last = IsSeparatorAt(s, i);
        }
    }
    return last;
}

bool IsUtf16Separator(char16_t c) { return c == 0xFFFF || c == u'/' || c == u'\\'; }

// The UTF-8 path: split from the UTF-16 fields as the code page 932 path is from its
// own, the part a header lacks in UTF-16 (folders or name) taken from the other.
void SetUtf8Path(EntryHeader& header, const NameFields& names) {
    header.directoryUtf8.clear();
    if ((!names.hasUtf16Name && !names.hasUtf16Directory) || header.isSymlink) {
        header.fileNameUtf8 = Cp932ToUtf8(header.fileName);
        for (const std::string& d : header.directory) header.directoryUtf8.push_back(Cp932ToUtf8(d));
        return;
    }
    std::u16string full;
    if (names.hasUtf16Directory) {
        full = names.utf16Directory;
    } else {
        for (const std::string& d : header.directory) full += Utf8ToUtf16(Cp932ToUtf8(d)) + char16_t{0xFFFF};
    }
    if (!full.empty() && !IsUtf16Separator(full.back())) full += char16_t{0xFFFF};
    full += names.hasUtf16Name ? names.utf16Name : Utf8ToUtf16(Cp932ToUtf8(header.fileName));
    header.absolute = header.absolute || (!full.empty() && IsUtf16Separator(full[0]));
    std::u16string part;
    for (const char16_t c : full) {
        if (!IsUtf16Separator(c)) {
            part += c;
        } else if (!part.empty()) {
            header.directoryUtf8.push_back(Utf16ToUtf8(part));
            part.clear();
        }
    }
    header.fileNameUtf8 = Utf16ToUtf8(part);  // empty when the path ends in a separator
}

}  // namespace

void SplitPath(const std::string& path, std::vector<std::string>& out) {
    std::string part;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (IsCp932LeadByte(c) && i + 1 < path.size() && IsTrailByte(static_cast<unsigned char>(path[i + 1]))) {
            part += path[i];
            part += path[++i];
            continue;
        }
        if (IsSeparatorAt(path, i)) {
            if (!part.empty()) out.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    if (!part.empty()) out.push_back(part);
}

bool ApplyExtendedHeader(EntryHeader& header, std::uint8_t type, const std::uint8_t* data, std::size_t size,
                         NameFields& names) {
    switch (type) {
    case 0x01: names.name.assign(reinterpret_cast<const char*>(data), size); break;
    case 0x02: names.directory.assign(reinterpret_cast<const char*>(data), size); break;
    case 0x44:
    case 0x45: {
        // UTF-16, little-endian
        if (size % 2 != 0) return false;
        std::u16string& text = type == 0x44 ? names.utf16Name : names.utf16Directory;
        text.clear();
        for (std::size_t i = 0; i < size; i += 2) text += static_cast<char16_t>(Le16(data + i));
        (type == 0x44 ? names.hasUtf16Name : names.hasUtf16Directory) = true;
        break;
    }
    case 0x40:
        if (size >= 1) header.dosAttribute = data[0];
        break;
    case 0x41:
        // Windows creation, modification and access times (FILETIME, 100 ns since 1601)
        if (size >= 24) {
            const std::uint64_t modified = Le64(data + 8);
            if (modified >= 116444736000000000ull) {
                header.unixTime = static_cast<std::int64_t>((modified - 116444736000000000ull) / 10000000ull);
                header.hasUnixTime = true;
            }
        }
        break;
    case 0x42:
        if (size >= 16) {
            header.compressedSize = Le64(data);
            header.originalSize = Le64(data + 8);
        }
        break;
    case 0x50:
        if (size >= 2) {
            header.unixMode = Le16(data);
            header.hasUnixMode = true;
        }
        break;
    case 0x54:
        if (size >= 4) {
            header.unixTime = Le32(data);
            header.hasUnixTime = true;
        }
        break;
    default:
        break;  // comments, owners, OS/2 and Windows extras: not needed to extract
    }
    return true;
}

void FinishHeader(EntryHeader& header, const NameFields& names) {
    // One path of directory and name: a symbolic link "link|target" may be split across
    // the two (the target's separators put part of it into the directory field).
    std::string full = names.directory;
    if (!full.empty() && !EndsWithSeparator(full)) full += '\xFF';
    // Amiga LhA keeps a file comment after a zero byte in the name.
    full += names.name.substr(0, names.name.find('\0'));
    const bool linkMode = header.hasUnixMode && (header.unixMode & 0xF000) == 0xA000;
    const std::size_t bar = FindSingleByte(full, '|');
    if (bar != std::string::npos && (linkMode || header.method == Method::Directory)) {
        header.isSymlink = true;
        header.symlinkTarget = full.substr(bar + 1);
        for (char& c : header.symlinkTarget) {
            if (c == '\xFF') c = '/';
        }
        full.resize(bar);
    } else if (linkMode) {
        header.isSymlink = true;
    }
    header.absolute = !full.empty() && IsSeparatorAt(full, 0);
    std::vector<std::string> parts;
    SplitPath(full, parts);
    header.directory.clear();
    header.fileName.clear();
    if (!parts.empty() && !EndsWithSeparator(full)) {
        header.fileName = parts.back();
        parts.pop_back();
    }
    header.directory = std::move(parts);
    // Amiga LhA 1.22 stores an empty folder as an empty -lh0- entry named "dir/".
    if (header.fileName.empty() && !header.isSymlink && header.method == Method::Stored &&
        header.originalSize == 0 && header.compressedSize == 0) {
        header.method = Method::Directory;
        std::memcpy(header.methodId, MethodId(Method::Directory), 5);
    }
    SetUtf8Path(header, names);
}

}  // namespace detail

HeaderStatus ReadHeader(RandomAccess& file, std::uint64_t offset, EntryHeader& header) {
    header = EntryHeader{};
    header.headerOffset = offset;
    const std::uint64_t size = file.Size();
    if (offset >= size) return HeaderStatus::End;
    std::uint8_t first[24] = {};
    if (!file.ReadAt(offset, first, 1)) return HeaderStatus::Truncated;
    if (first[0] == 0) return HeaderStatus::End;
    if (size - offset < 24 || !file.ReadAt(offset, first, 24)) return HeaderStatus::Truncated;
    std::memcpy(header.methodId, first + 2, 5);
    header.method = MethodFromId(header.methodId);
    header.level = first[20];
    switch (first[20]) {
    case 0: return detail::ReadLevel0(file, offset, first, header);
    case 1: return detail::ReadLevel1(file, offset, first, header);
    case 2: return detail::ReadLevel2(file, offset, first, header);
    case 3: return detail::ReadLevel3(file, offset, first, header);
    default: return HeaderStatus::UnknownLevel;
    }
}

}  // namespace kavrel::lha
