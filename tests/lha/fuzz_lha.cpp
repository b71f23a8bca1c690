// libFuzzer target over the archive library: header parsing of whole archives (with
// every entry then decoded), each decoder on bare streams, the command-line parser and
// the name checks. Build: -DKAVREL_FUZZ=ON -DKAVREL_SANITIZE=ON with clang++.
// The first byte picks what the rest is fed to, and whether the decoders read through
// their buffer or in place (as from a mapped file: the input block is exactly the
// data's size, so a read past it is seen).
#include <cstddef>
#include <cstdint>
#include <string>

#include "lha/Archive.h"
#include "lha/CommandLine.h"
#include "lha/Crc16.h"
#include "lha/Decoder.h"
#include "lha/Header.h"
#include "lha/SafeName.h"
#include "platform/Text.h"

namespace {

using namespace kavrel::lha;

class NullSink : public Sink {
public:
    bool Write(const std::uint8_t* data, std::size_t size) override {
        crc = UpdateCrc16(crc, data, size);
        total += size;
        return true;
    }
    std::uint16_t crc = 0;
    std::uint64_t total = 0;
};

constexpr std::uint64_t kMaxOutput = 1u << 20;

void FuzzArchive(const std::uint8_t* data, std::size_t size, bool inPlace) {
    MemoryFile file(data, size);
    ArchiveListing listing;
    std::string error;
    if (!ReadArchive(file, "fuzz", listing, error)) return;
    for (const EntryHeader& h : listing.entries) {
        (void)CheckComponent(kavrel::Cp932ToUtf8(h.fileName));
        for (const std::string& d : h.directory) (void)CheckComponent(kavrel::Cp932ToUtf8(d));
        if (h.method == Method::Unknown) continue;
        MemorySource source(data + h.dataOffset, static_cast<std::size_t>(h.compressedSize), inPlace);
        NullSink sink;
        const std::uint64_t want = h.originalSize < kMaxOutput ? h.originalSize : kMaxOutput;
        if (Decode(h.method, source, want, sink) == DecodeStatus::Ok && sink.total != want) __builtin_trap();
    }
}

void FuzzDecoder(Method method, const std::uint8_t* data, std::size_t size, bool inPlace) {
    if (size < 3) return;
    const std::uint64_t want = (data[0] | (data[1] << 8) | (data[2] << 16)) % kMaxOutput;
    MemorySource source(data + 3, size - 3, inPlace);
    NullSink sink;
    const DecodeStatus st = Decode(method, source, want, sink);
    if (sink.total > want || (st == DecodeStatus::Ok && sink.total != want)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    static const Method kMethods[] = {Method::Stored, Method::Lh1, Method::Lh4, Method::Lh5,
                                      Method::Lh6,    Method::Lh7, Method::Lzs, Method::Lz5, Method::Lhx};
    switch (mode % 13) {
    case 0: case 1: case 2:
        FuzzArchive(data, size, mode % 13 == 2);
        break;
    case 3: {
        ParsedCommandLine parsed;
        std::string error;
        (void)ParseCommandLine(std::string_view(reinterpret_cast<const char*>(data), size), parsed, error);
        (void)StripTrailingSeparators(std::string(reinterpret_cast<const char*>(data), size));
        break;
    }
    default:
        FuzzDecoder(kMethods[(mode % 13) - 4], data, size, (mode / 13) % 2 == 1);
        break;
    }
    return 0;
}
