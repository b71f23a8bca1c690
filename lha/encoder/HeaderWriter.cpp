#include "lha/encoder/HeaderWriter.h"

#include "lha/Crc16.h"

namespace kavrel::lha::encoder {

namespace {

constexpr char kOsId = 'M';  // MS-DOS: the attributes and times are Windows ones

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void Put64(std::vector<std::uint8_t>& b, std::uint64_t v) {
    Put32(b, static_cast<std::uint32_t>(v));
    Put32(b, static_cast<std::uint32_t>(v >> 32));
}
void PutBytes(std::vector<std::uint8_t>& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void Set16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// The folder field: components each followed by 0xFF.
std::string DirectoryField(const HeaderFields& f) {
    std::string d;
    for (const std::string& part : f.directory) d += part + '\xFF';
    return d;
}

// One extended header: its size goes where the previous one (or the base header) left
// room for it; it ends with room for the size of the next one (0 for none).
void PutExtension(std::vector<std::uint8_t>& b, std::size_t& sizeAt, std::uint8_t type, const std::string& data) {
    Set16(b, sizeAt, static_cast<std::uint32_t>(data.size() + 3));
    b.push_back(type);
    PutBytes(b, data);
    sizeAt = b.size();
    Put16(b, 0);
}

std::string Attribute(const HeaderFields& f) { return std::string{static_cast<char>(f.attribute), '\0'}; }

std::string WindowsTimes(const HeaderFields& f) {
    std::vector<std::uint8_t> t;
    Put64(t, f.created);
    Put64(t, f.modified);
    Put64(t, f.accessed);
    return std::string(t.begin(), t.end());
}

bool BuildLevel1(const HeaderFields& f, std::vector<std::uint8_t>& b, std::string& error) {
    // The base header holds the file name when it fits (its size is one byte); longer
    // names go to an extended header. Readers take a 0x5C byte in the base name for a
    // folder separator, even as the second byte of a double-byte character (ソ, 表):
    // such a name goes to the extended header as well, which they read as it is.
    const bool fits = f.name.size() <= 230;
    const bool hasBackslashByte = f.name.find('\\') != std::string::npos;
    const std::string baseName = fits ? f.name : std::string();
    b.clear();
    b.push_back(0);  // size, patched below
    b.push_back(0);  // checksum
    PutBytes(b, std::string(MethodId(f.method), 5));
    Put32(b, 0);  // packed size plus extended headers, patched below
    Put32(b, static_cast<std::uint32_t>(f.originalSize));
    Put32(b, f.dosTime);
    b.push_back(0x20);  // readers tell levels 1-3 from older headers by this byte
    b.push_back(1);
    b.push_back(static_cast<std::uint8_t>(baseName.size()));
    PutBytes(b, baseName);
    Put16(b, f.crc);
    b.push_back(static_cast<std::uint8_t>(kOsId));
    std::size_t sizeAt = b.size();
    Put16(b, 0);
    const std::size_t baseSize = b.size();
    if (!fits || hasBackslashByte) PutExtension(b, sizeAt, 0x01, f.name);
    if (!f.directory.empty()) PutExtension(b, sizeAt, 0x02, DirectoryField(f));
    PutExtension(b, sizeAt, 0x40, Attribute(f));
    if (f.hasWindowsTimes) PutExtension(b, sizeAt, 0x41, WindowsTimes(f));
    const std::uint64_t extended = b.size() - baseSize;
    if (extended > 0xFFFF || f.packedSize + extended > kMaxEntrySize || f.originalSize > kMaxEntrySize) {
        error = "too large for a level 1 header";
        return false;
    }
    b[0] = static_cast<std::uint8_t>(baseSize - 2);
    const auto skip = static_cast<std::uint32_t>(f.packedSize + extended);
    Set16(b, 7, skip & 0xFFFF);
    Set16(b, 9, skip >> 16);
    unsigned sum = 0;
    for (std::size_t i = 2; i < baseSize; ++i) sum += b[i];
    b[1] = static_cast<std::uint8_t>(sum);
    return true;
}

bool BuildLevel2(const HeaderFields& f, std::vector<std::uint8_t>& b, std::string& error) {
    if (f.packedSize > kMaxEntrySize || f.originalSize > kMaxEntrySize) {
        error = "too large for a level 2 header";
        return false;
    }
    b.clear();
    Put16(b, 0);  // total size, patched below
    PutBytes(b, std::string(MethodId(f.method), 5));
    Put32(b, static_cast<std::uint32_t>(f.packedSize));
    Put32(b, static_cast<std::uint32_t>(f.originalSize));
    Put32(b, static_cast<std::uint32_t>(f.unixTime));
    b.push_back(0x20);
    b.push_back(2);
    Put16(b, f.crc);
    b.push_back(static_cast<std::uint8_t>(kOsId));
    std::size_t sizeAt = b.size();
    Put16(b, 0);
    const std::size_t crcAt = b.size() + 1;
    PutExtension(b, sizeAt, 0x00, std::string(2, '\0'));
    PutExtension(b, sizeAt, 0x01, f.name);
    if (!f.directory.empty()) PutExtension(b, sizeAt, 0x02, DirectoryField(f));
    PutExtension(b, sizeAt, 0x40, Attribute(f));
    if (f.hasWindowsTimes) PutExtension(b, sizeAt, 0x41, WindowsTimes(f));
    // A first byte of zero reads as the end of the archive: pad such a header.
    if ((b.size() & 0xFF) == 0) b.push_back(0);
    if (b.size() > 0xFFFF) {
        error = "path too long for a level 2 header";
        return false;
    }
    Set16(b, 0, static_cast<std::uint32_t>(b.size()));
    Set16(b, crcAt, Crc16(b.data(), b.size()));
    return true;
}

}  // namespace

bool BuildHeader(int level, const HeaderFields& fields, std::vector<std::uint8_t>& out, std::string& error) {
    return level == 1 ? BuildLevel1(fields, out, error) : BuildLevel2(fields, out, error);
}

}  // namespace kavrel::lha::encoder
