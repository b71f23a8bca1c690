#include "description/ContentList.h"

#include "platform/Text.h"

namespace kavrel {
namespace {

constexpr std::string_view kMagic = "KAVREL-CONTENTS 1\n";
constexpr std::string_view kEnd = "end\n";
// No medium holds more: a list that claims more is not ours.
constexpr std::size_t kMaxFiles = 65536;

char Folded(char c) {
    if (c == '/') return '\\';
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameNameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) return false;
    }
    return true;
}

bool Number(std::string_view text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= limit;
}

bool IsDigest(std::string_view text) {
    if (text.size() != 64) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

// A name the list may hold: relative, no empty, "." or ".." part, no control character.
bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 260) return false;
    std::size_t part = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '\\' || name[i] == '/') {
            const std::string_view piece = name.substr(part, i - part);
            if (piece.empty() || piece == "." || piece == ".." || piece.find(':') != std::string_view::npos) {
                return false;
            }
            part = i + 1;
        } else if (static_cast<unsigned char>(name[i]) < 0x20) {
            return false;
        }
    }
    return true;
}

std::uint32_t Le32(std::string_view bytes, std::uint64_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<unsigned>(i)]);
    return v;
}

std::uint16_t Le16(std::string_view bytes, std::uint64_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

bool SameContentName(std::string_view a, std::string_view b) { return SameNameText(a, b); }

std::string FormatContentList(const ContentList& list) {
    std::string text(kMagic);
    for (const ContentFile& f : list.files) {
        text += Concat({DecimalText(f.disk), "\t", DecimalText(f.size), "\t", f.sha256, "\t", f.name, "\n"});
    }
    text += kEnd;
    text.append((8 - text.size() % 8) % 8, '\0');
    return text;
}

bool LooksLikeContentList(std::string_view bytes) { return bytes.substr(0, kMagic.size()) == kMagic; }

bool ParseContentList(std::string_view bytes, ContentList& list) {
    list = ContentList{};
    if (!LooksLikeContentList(bytes)) return false;
    std::size_t at = kMagic.size();
    for (;;) {
        const std::size_t eol = bytes.find('\n', at);
        if (eol == std::string_view::npos) return false;
        const std::string_view line = bytes.substr(at, eol - at);
        at = eol + 1;
        if (line == "end") break;
        if (list.files.size() >= kMaxFiles) return false;
        std::string_view fields[4];
        std::size_t from = 0;
        for (int i = 0; i < 3; ++i) {
            const std::size_t tab = line.find('\t', from);
            if (tab == std::string_view::npos) return false;
            fields[i] = line.substr(from, tab - from);
            from = tab + 1;
        }
        fields[3] = line.substr(from);
        ContentFile file;
        std::uint64_t disk = 0;
        if (!Number(fields[0], 99, disk) || disk == 0 || !Number(fields[1], ~std::uint64_t{0} >> 1, file.size) ||
            !IsDigest(fields[2]) || !IsPlainName(fields[3]) || fields[3].find('\t') != std::string_view::npos) {
            return false;
        }
        file.disk = static_cast<int>(disk);
        file.sha256 = std::string(fields[2]);
        file.name = std::string(fields[3]);
        if (FindContentFile(list, file.disk, file.name)) return false;  // named twice: which one holds?
        list.files.push_back(std::move(file));
    }
    for (; at < bytes.size(); ++at) {
        if (bytes[at] != '\0') return false;
    }
    return true;
}

const ContentFile* FindContentFile(const ContentList& list, int disk, std::string_view name) {
    for (const ContentFile& f : list.files) {
        if (f.disk == disk && SameNameText(f.name, name)) return &f;
    }
    return nullptr;
}

bool FindPeOverlay(std::string_view image, PeOverlay& overlay) {
    overlay = PeOverlay{};
    if (image.size() < 0x40 || image.substr(0, 2) != "MZ") return false;
    const std::uint64_t pe = Le32(image, 0x3c);
    if (pe > image.size() || image.size() - pe < 24 || image.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        return false;
    }
    const std::uint64_t sections = Le16(image, pe + 6);
    const std::uint64_t optionalSize = Le16(image, pe + 20);
    const std::uint64_t optional = pe + 24;
    const std::uint64_t table = optional + optionalSize;
    if (table > image.size() || (image.size() - table) / 40 < sections || optionalSize < 2) return false;
    // The security directory is entry 4 of the data directories, whose place depends on PE32 or PE32+.
    const std::uint16_t magic = Le16(image, optional);
    const std::uint64_t directories = optional + (magic == 0x20b ? 112 : magic == 0x10b ? 96 : 0);
    if (directories == optional || directories + 5 * 8 > table) return false;
    const std::uint64_t count = Le32(image, directories - 4);
    if (count > 4) {
        overlay.certificateOffset = Le32(image, directories + 4 * 8);
        overlay.certificateSize = Le32(image, directories + 4 * 8 + 4);
    }
    std::uint64_t end = table + sections * 40;
    for (std::uint64_t s = 0; s < sections; ++s) {
        const std::uint64_t header = table + s * 40;
        const std::uint64_t rawSize = Le32(image, header + 16);
        const std::uint64_t rawAt = Le32(image, header + 20);
        if (rawSize != 0 && rawAt + rawSize > end) end = rawAt + rawSize;
    }
    std::uint64_t stop = image.size();
    if (overlay.certificateOffset != 0 || overlay.certificateSize != 0) {
        if (overlay.certificateOffset < end || overlay.certificateOffset > image.size() ||
            image.size() - overlay.certificateOffset < overlay.certificateSize) {
            return false;
        }
        stop = overlay.certificateOffset;
    }
    if (end > stop) return false;
    overlay.begin = end;
    overlay.end = stop;
    return true;
}

int ReadContentListOf(std::string_view image, ContentList& list) {
    list = ContentList{};
    PeOverlay overlay;
    if (!FindPeOverlay(image, overlay)) return -1;
    const std::string_view bytes = image.substr(overlay.begin, overlay.end - overlay.begin);
    if (!LooksLikeContentList(bytes)) return 0;
    return ParseContentList(bytes, list) ? 1 : -1;
}

}  // namespace kavrel
