// Most-significant-bit-first reader over a ByteSource, as every LZH method reads its
// bits. Keeps at least 56 bits ready after Refill(); past the end of the source it
// supplies zero bits and counts them, so a decoder of a truncated stream ends with an
// error instead of running on (Exhausted()).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "lha/Stream.h"

namespace kavrel::lha {

class BitReader {
public:
    explicit BitReader(ByteSource& source);

    void Refill() {
        if (end_ - p_ >= 8) {
            std::uint64_t v;
            std::memcpy(&v, p_, 8);
            v = __builtin_bswap64(v);
            bits_ |= v >> count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            RefillSlow();
        }
    }
    // The next n bits (0 <= n <= 32) without consuming them; needs n <= Available().
    std::uint32_t Peek(int n) const { return n ? static_cast<std::uint32_t>(bits_ >> (64 - n)) : 0; }
    void Skip(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    std::uint32_t Get(int n) {
        const std::uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    // Refills when needed; n <= 32.
    std::uint32_t GetBits(int n) {
        if (count_ < n) Refill();
        return Get(n);
    }
    int Available() const { return count_; }
    // The top 64 bits of the stream from here (valid bits first).
    std::uint64_t Window() const { return bits_; }
    // The reader's state, for a decoder's inner loop that keeps it in registers while it
    // has at least 8 bytes of buffer left (see DecoderStatic.cpp).
    struct State {
        std::uint64_t bits;
        int count;
        const std::uint8_t* p;
        const std::uint8_t* end;
    };
    State Export() const { return State{bits_, count_, p_, end_}; }
    void Import(const State& s) {
        bits_ = s.bits;
        count_ = s.count;
        p_ = s.p;
        end_ = s.end;
    }
    // More zero bytes were invented past the end than any valid stream needs.
    bool Exhausted() const { return invented_ > kSlack; }

private:
    static constexpr std::size_t kBufferSize = 1 << 16;
    static constexpr std::size_t kSlack = 16;
    void RefillSlow();

    ByteSource& source_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    const std::uint8_t* p_;
    const std::uint8_t* end_;
    const std::uint8_t* viewEnd_ = nullptr;  // of the source's view, when it has one
    std::uint64_t bits_ = 0;
    int count_ = 0;
    bool eof_ = false;
    std::size_t invented_ = 0;
};

}  // namespace kavrel::lha
