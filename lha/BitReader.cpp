#include "lha/BitReader.h"

namespace kavrel::lha {

BitReader::BitReader(ByteSource& source)
    : source_(source), buffer_(new std::uint8_t[kBufferSize]), p_(buffer_.get()), end_(buffer_.get()) {
    // A source in memory is read in place; the buffer then only takes its last few bytes.
    std::size_t n = 0;
    if (const std::uint8_t* v = source_.View(n)) {
        p_ = v;
        end_ = v + n;
    }
}

void BitReader::RefillSlow() {
    if (!eof_) {
        // Keep the few unread bytes and fill the rest of the buffer.
        const std::size_t keep = static_cast<std::size_t>(end_ - p_);
        std::memmove(buffer_.get(), p_, keep);
        std::size_t have = keep;
        while (have < kBufferSize) {
            const std::size_t n = source_.Read(buffer_.get() + have, kBufferSize - have);
            if (n == 0) {
                eof_ = true;
                break;
            }
            have += n;
            if (have >= 8) break;
        }
        p_ = buffer_.get();
        end_ = p_ + have;
        if (have >= 8) {
            Refill();
            return;
        }
    }
    while (count_ <= 56) {
        std::uint64_t byte = 0;
        if (p_ < end_) {
            byte = *p_++;
        } else {
            ++invented_;
        }
        bits_ |= byte << (56 - count_);
        count_ += 8;
    }
}

}  // namespace kavrel::lha
