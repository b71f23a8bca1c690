// Most-significant-bit-first writer, as every LZH method stores its bits. Bytes gather
// in a buffer that the owner hands on to a Sink from time to time.
#pragma once

#include <cstdint>
#include <vector>

namespace kavrel::lha::encoder {

class BitWriter {
public:
    // Appends the low `n` bits of `value` (0 <= n <= 32; higher bits must be zero).
    void Put(std::uint32_t value, int n) {
        acc_ = (acc_ << n) | value;
        count_ += n;
        if (count_ >= 32) {
            count_ -= 32;
            const auto w = static_cast<std::uint32_t>(acc_ >> count_);
            bytes_.push_back(static_cast<std::uint8_t>(w >> 24));
            bytes_.push_back(static_cast<std::uint8_t>(w >> 16));
            bytes_.push_back(static_cast<std::uint8_t>(w >> 8));
            bytes_.push_back(static_cast<std::uint8_t>(w));
        }
    }
    // Pads the last byte with zero bits.
    void AlignToByte() {
        while (count_ >= 8) {
            count_ -= 8;
            bytes_.push_back(static_cast<std::uint8_t>(acc_ >> count_));
        }
        if (count_ > 0) {
            bytes_.push_back(static_cast<std::uint8_t>(acc_ << (8 - count_)));
            count_ = 0;
        }
    }
    // Whole bytes written so far and not yet taken.
    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    // Bits written since construction (taken bytes included).
    std::uint64_t BitCount() const { return (taken_ + bytes_.size()) * 8 + static_cast<std::uint64_t>(count_); }
    void Take() {
        taken_ += bytes_.size();
        bytes_.clear();
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t acc_ = 0;
    int count_ = 0;
    std::uint64_t taken_ = 0;
};

}  // namespace kavrel::lha::encoder
