// LArc's methods. Both address their ring buffer by absolute position, not distance.
// -lzs-: 2 KiB ring starting at 2048-17, blank-filled; a 1 bit, then an 8-bit literal,
//        or a 0 bit, an 11-bit position and a 4-bit length (2 to 17 bytes).
// -lz5-: 4 KiB ring starting at 4096-18, pre-filled with a fixed pattern; a flag byte
//        (low bit first, 1 = literal byte) before each eight items; a match is two
//        bytes: position (12 bits: low byte, then the high nibble of the second byte)
//        and length (low nibble + 3, 3 to 18 bytes).
#include <cstring>
#include <memory>

#include "lha/BitReader.h"
#include "lha/DecoderLegacy.h"

namespace kavrel::lha {
namespace {

// Collects decoded bytes in a ring and hands them to the sink in chunks.
class Ring {
public:
    Ring(unsigned size, unsigned start, Sink& sink)
        : mask_(size - 1), pos_(start), ring_(new std::uint8_t[size]), sink_(sink) {}
    std::uint8_t* Data() { return ring_.get(); }
    bool Put(std::uint8_t byte) {
        ring_[pos_] = byte;
        pos_ = (pos_ + 1) & mask_;
        chunk_[used_++] = byte;
        return used_ < sizeof(chunk_) || Flush();
    }
    std::uint8_t At(unsigned position) const { return ring_[position & mask_]; }
    bool Flush() {
        const bool ok = used_ == 0 || sink_.Write(chunk_, used_);
        used_ = 0;
        return ok;
    }

private:
    unsigned mask_;
    unsigned pos_;
    std::unique_ptr<std::uint8_t[]> ring_;
    Sink& sink_;
    std::uint8_t chunk_[4096];
    std::size_t used_ = 0;
};

}  // namespace

DecodeStatus DecodeLzs(ByteSource& in, std::uint64_t size, Sink& out) {
    constexpr unsigned kRing = 1u << WindowBits(Method::Lzs);
    BitReader reader(in);
    auto ring = std::make_unique<Ring>(kRing, kRing - 17, out);
    std::memset(ring->Data(), ' ', kRing);
    std::uint64_t left = size;
    while (left > 0) {
        if (reader.Exhausted()) return DecodeStatus::Corrupt;
        reader.Refill();
        if (reader.Get(1)) {
            if (!ring->Put(static_cast<std::uint8_t>(reader.Get(8)))) return DecodeStatus::OutputFailed;
            --left;
            continue;
        }
        unsigned position = reader.Get(11);
        unsigned length = reader.Get(4) + 2;
        while (length-- > 0 && left > 0) {
            if (!ring->Put(ring->At(position++))) return DecodeStatus::OutputFailed;
            --left;
        }
    }
    if (reader.Exhausted()) return DecodeStatus::Corrupt;
    return ring->Flush() ? DecodeStatus::Ok : DecodeStatus::OutputFailed;
}

DecodeStatus DecodeLz5(ByteSource& in, std::uint64_t size, Sink& out) {
    constexpr unsigned kRing = 1u << WindowBits(Method::Lz5);
    BitReader reader(in);
    auto ring = std::make_unique<Ring>(kRing, kRing - 18, out);
    std::uint8_t* r = ring->Data();
    std::memset(r, 0, kRing);
    unsigned p = 0;
    for (unsigned i = 0; i < 256; ++i) {
        std::memset(r + p, static_cast<int>(i), 13);
        p += 13;
    }
    for (unsigned i = 0; i < 256; ++i) r[p++] = static_cast<std::uint8_t>(i);
    for (unsigned i = 0; i < 256; ++i) r[p++] = static_cast<std::uint8_t>(255 - i);
    p += 128;  // zeros
    std::memset(r + p, ' ', 128 - 18);
    std::uint64_t left = size;
    unsigned flags = 0;
    int flagBits = 0;
    while (left > 0) {
        if (reader.Exhausted()) return DecodeStatus::Corrupt;
        reader.Refill();
        if (flagBits == 0) {
            flags = reader.Get(8);
            flagBits = 8;
        }
        const bool literal = flags & 1;
        flags >>= 1;
        --flagBits;
        if (literal) {
            if (!ring->Put(static_cast<std::uint8_t>(reader.Get(8)))) return DecodeStatus::OutputFailed;
            --left;
            continue;
        }
        const unsigned low = reader.Get(8);
        const unsigned high = reader.Get(8);
        unsigned position = low | ((high & 0xF0) << 4);
        unsigned length = (high & 0x0F) + 3;
        while (length-- > 0 && left > 0) {
            if (!ring->Put(ring->At(position++))) return DecodeStatus::OutputFailed;
            --left;
        }
    }
    if (reader.Exhausted()) return DecodeStatus::Corrupt;
    return ring->Flush() ? DecodeStatus::Ok : DecodeStatus::OutputFailed;
}

}  // namespace kavrel::lha
