#include "lha/Archive.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "lha/Messages.h"

namespace kavrel::lha {
namespace {

constexpr std::size_t kMaxEntries = 65536;
constexpr std::uint64_t kMaxStubScan = 4u << 20;
// Bytes a self-extracting archive may carry after its end mark (padding, signatures).
constexpr std::uint64_t kTrailingSlack = 1024;
constexpr std::size_t kScanBuffer = 1 << 16;
// A header candidate needs its size bytes and the method id: bytes 0 to 6.
constexpr std::size_t kCandidateBytes = 7;

bool LooksLikeMethod(const std::uint8_t* p) {
    // "-l??-" or "-pm?-"
    return p[0] == '-' && p[4] == '-' && ((p[1] == 'l') || (p[1] == 'p' && p[2] == 'm'));
}

enum class Scan { Found, NotFound, ReadFailed, NoMemory };

// Offers `visit(offset, bytes)` every offset in [from, to) whose bytes 2 to 6 look like a
// method id, until it returns true. The buffer is a checked allocation: running out of
// memory is an answer, not an exception.
template <typename Visit>
Scan ScanForHeaders(RandomAccess& file, std::uint64_t from, std::uint64_t to, Visit&& visit) {
    const std::uint64_t size = file.Size();
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kScanBuffer]);
    if (!buffer) return Scan::NoMemory;
    for (std::uint64_t base = from; base < to && size - base >= kCandidateBytes;
         base += kScanBuffer - (kCandidateBytes - 1)) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kScanBuffer, size - base));
        if (!file.ReadAt(base, buffer.get(), n)) return Scan::ReadFailed;
        for (std::size_t i = 0; i + kCandidateBytes <= n && base + i < to; ++i) {
            if (LooksLikeMethod(&buffer[i + 2]) && visit(base + i, &buffer[i])) return Scan::Found;
        }
    }
    return Scan::NotFound;
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

// PMarc's self-extracting programs begin with a header-like "-pms-" record that is no
// entry: their archive lies behind the stub like any other.
bool StartsLikeAnArchive(RandomAccess& file) {
    std::uint8_t first[kCandidateBytes];
    return file.Size() >= kCandidateBytes && file.ReadAt(0, first, sizeof first) && LooksLikeMethod(first + 2) &&
           std::memcmp(first + 2, "-pms-", 5) != 0;
}

// The first header of a self-extracting archive: the first valid header after the stub
// (of a known method unless its level has a checksum) whose chain of headers runs to
// the end of the file. A stub may carry a small archive of its own (Amiga LhA's usage
// text); the real one follows.
Scan FindArchiveBehindStub(RandomAccess& file, std::uint64_t& start) {
    const std::uint64_t size = file.Size();
    bool haveFallback = false;
    std::uint64_t fallback = 0;
    std::uint64_t skipUntil = 0;
    EntryHeader header;
    const Scan scan = ScanForHeaders(file, 0, std::min(size, kMaxStubScan), [&](std::uint64_t at, const std::uint8_t* p) {
        if (at < skipUntil || (p[0] == 0 && p[1] == 0)) return false;
        if (ReadHeader(file, at, header) != HeaderStatus::Ok ||
            (header.method == Method::Unknown && header.level > 1) || header.dataOffset > size ||
            header.compressedSize > size - header.dataOffset) {
            return false;
        }
        const std::uint64_t end = ChainEnd(file, at);
        if (end + kTrailingSlack >= size) {
            start = at;
            return true;
        }
        if (!haveFallback) {
            haveFallback = true;
            fallback = at;
        }
        skipUntil = end;
        return false;
    });
    if (scan != Scan::NotFound || !haveFallback) return scan;
    start = fallback;
    return Scan::Found;
}

std::string ScanError(Scan scan, const std::string& found) {
    switch (scan) {
    case Scan::ReadFailed: return msg::ArchiveReadFailed();
    case Scan::NoMemory: return msg::OutOfMemory();
    case Scan::Found:
    case Scan::NotFound: break;
    }
    return found;
}

// After a 0 byte at `at`: whether what follows holds a header, so the 0 byte is damage
// rather than the end mark. Padding and trailers of old systems hold none.
Scan HeaderAfter(RandomAccess& file, std::uint64_t at) {
    EntryHeader header;
    return ScanForHeaders(file, at + 1, file.Size(), [&](std::uint64_t offset, const std::uint8_t*) {
        return ReadHeader(file, offset, header) == HeaderStatus::Ok;
    });
}

// LArc wrote no end mark: its archives end with the last entry's data.
bool AllOfLArcMethods(const std::vector<EntryHeader>& entries) {
    for (const EntryHeader& h : entries) {
        const MethodInfo* m = FindMethodId(h.methodId);
        if (m == nullptr || !m->larc) return false;
    }
    return !entries.empty();
}

// The archive ends at `offset` without an end mark.
bool EndOfFile(const ArchiveListing& listing, std::string& error) {
    if (AllOfLArcMethods(listing.entries)) return true;
    // An archive that could not be extracted anyway is refused for its method, the
    // more useful of the two faults.
    for (const EntryHeader& h : listing.entries) {
        if (h.method == Method::Unknown && !h.isSymlink) {
            error = msg::UnsupportedMethod(msg::EntryName(h), h.methodId);
            return false;
        }
    }
    error = msg::HeaderTruncated(static_cast<int>(listing.entries.size()));
    return false;
}

// A 0 byte at `offset`, where header `index` should begin.
bool EndMark(RandomAccess& file, std::uint64_t offset, int index, std::string& error) {
    std::uint8_t bytes[kCandidateBytes];
    if (file.Size() - offset >= kCandidateBytes && file.ReadAt(offset, bytes, sizeof bytes) &&
        LooksLikeMethod(bytes + 2)) {
        error = msg::HeaderSizeZero(index);  // a header whose size byte was lost
        return false;
    }
    const Scan scan = HeaderAfter(file, offset);
    if (scan == Scan::NotFound) return true;
    error = ScanError(scan, msg::HeaderAfterEndMark(index));
    return false;
}

}  // namespace

bool ReadArchive(RandomAccess& file, const std::string& displayName, ArchiveListing& listing, std::string& error) {
    listing = ArchiveListing{};
    // An archive proper starts with a header; its faults are reported as such.
    if (!StartsLikeAnArchive(file)) {
        const Scan scan = FindArchiveBehindStub(file, listing.start);
        if (scan != Scan::Found) {
            error = ScanError(scan, msg::NotAnArchive(displayName));
            return false;
        }
    }
    const std::uint64_t size = file.Size();
    std::uint64_t offset = listing.start;
    for (int index = 0;; ++index) {
        if (listing.entries.size() >= kMaxEntries) {
            error = msg::TooManyEntries();
            return false;
        }
        if (offset >= size) return EndOfFile(listing, error);
        EntryHeader header;
        switch (ReadHeader(file, offset, header)) {
        case HeaderStatus::End: return EndMark(file, offset, index, error);
        case HeaderStatus::Truncated: error = msg::HeaderTruncated(index); return false;
        case HeaderStatus::BadChecksum: error = msg::HeaderChecksum(index); return false;
        case HeaderStatus::Malformed: error = msg::HeaderMalformed(index); return false;
        case HeaderStatus::UnknownLevel: error = msg::HeaderLevel(index, header.level); return false;
        case HeaderStatus::Ok: break;
        }
        if (header.dataOffset > size || header.compressedSize > size - header.dataOffset) {
            error = msg::DataTruncated(msg::EntryName(header));
            return false;
        }
        offset = header.dataOffset + header.compressedSize;
        listing.entries.push_back(std::move(header));
    }
}

}  // namespace kavrel::lha
