#include "lha/Archive.h"

#include <cstring>

#include "lha/Messages.h"

namespace kavrel::lha {
namespace {

constexpr std::size_t kMaxEntries = 65536;
constexpr std::uint64_t kMaxStubScan = 4u << 20;
// Bytes a self-extracting archive may carry after its end mark (padding, signatures).
constexpr std::uint64_t kTrailingSlack = 1024;

bool LooksLikeMethod(const std::uint8_t* p) {
    // "-l??-" or "-pm?-"
    return p[0] == '-' && p[4] == '-' && ((p[1] == 'l') || (p[1] == 'p' && p[2] == 'm'));
}

// Where the chain of valid headers starting at `offset` ends (after the end mark).
std::uint64_t ChainEnd(RandomAccess& file, std::uint64_t offset) {
    const std::uint64_t size = file.Size();
    EntryHeader h;
    for (std::size_t count = 0; count < kMaxEntries; ++count) {
        const HeaderStatus st = ReadHeader(file, offset, h);
        if (st == HeaderStatus::End) return offset < size ? offset + 1 : offset;
        if (st != HeaderStatus::Ok || h.dataOffset > size || h.compressedSize > size - h.dataOffset) return offset;
        offset = h.dataOffset + h.compressedSize;
    }
    return offset;
}

}  // namespace

bool FindArchiveStart(RandomAccess& file, std::uint64_t& start) {
    EntryHeader header;
    const std::uint64_t size = file.Size();
    const std::uint64_t limit = size < kMaxStubScan ? size : kMaxStubScan;
    std::vector<std::uint8_t> buffer(1 << 16);
    // An archive proper starts with a header; its faults are reported as such.
    if (size >= 21 && file.ReadAt(0, buffer.data(), 21) && buffer[0] != 0 && LooksLikeMethod(&buffer[2]) &&
        buffer[20] <= 3) {
        start = 0;
        return true;
    }
    // A self-extracting one: the first valid header after the stub (of a known method unless
    // its level has a checksum) whose chain of headers runs to the end of the file. A stub
    // may carry a small archive of its own (Amiga LhA's usage text); the real one follows.
    bool haveFallback = false;
    std::uint64_t fallback = 0;
    std::uint64_t skipUntil = 0;
    for (std::uint64_t base = 0; base < limit; base += buffer.size() - 8) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - base));
        if (n < 8 || !file.ReadAt(base, buffer.data(), n)) break;
        for (std::size_t i = 0; i + 7 <= n; ++i) {
            if (base + i < skipUntil || !LooksLikeMethod(&buffer[i + 2])) continue;
            if (buffer[i] == 0 && buffer[i + 1] == 0) continue;
            if (ReadHeader(file, base + i, header) == HeaderStatus::Ok &&
                (header.method != Method::Unknown || header.level <= 1) &&
                header.dataOffset <= size && header.compressedSize <= size - header.dataOffset) {
                const std::uint64_t end = ChainEnd(file, base + i);
                if (end + kTrailingSlack >= size) {
                    start = base + i;
                    return true;
                }
                if (!haveFallback) {
                    haveFallback = true;
                    fallback = base + i;
                }
                skipUntil = end;
            }
        }
        if (n < buffer.size()) break;
    }
    if (haveFallback) {
        start = fallback;
        return true;
    }
    return false;
}

bool ReadArchive(RandomAccess& file, const std::string& displayName, ArchiveListing& listing, std::string& error) {
    listing = ArchiveListing{};
    if (!FindArchiveStart(file, listing.start)) {
        error = msg::NotAnArchive(displayName);
        return false;
    }
    const std::uint64_t size = file.Size();
    std::uint64_t offset = listing.start;
    for (int index = 0;; ++index) {
        if (listing.entries.size() >= kMaxEntries) {
            error = msg::TooManyEntries();
            return false;
        }
        EntryHeader header;
        switch (ReadHeader(file, offset, header)) {
        case HeaderStatus::End: return true;
        case HeaderStatus::Truncated: error = msg::HeaderTruncated(index); return false;
        case HeaderStatus::BadChecksum: error = msg::HeaderChecksum(index); return false;
        case HeaderStatus::Malformed: error = msg::HeaderMalformed(index); return false;
        case HeaderStatus::UnknownLevel: error = msg::HeaderLevel(index, header.level); return false;
        case HeaderStatus::Ok: break;
        }
        if (header.dataOffset > size || header.compressedSize > size - header.dataOffset) {
            error = msg::DataTruncated(msg::Printable(header.Path()));
            return false;
        }
        offset = header.dataOffset + header.compressedSize;
        listing.entries.push_back(std::move(header));
    }
}

}  // namespace kavrel::lha
