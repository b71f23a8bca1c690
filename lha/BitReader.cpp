#include "lha/BitReader.h"

#include <algorithm>

namespace kavrel::lha {

BitReader::BitReader(ByteSource& source)
    : source_(source), buffer_(new std::uint8_t[kBufferSize]), p_(buffer_.get()), end_(buffer_.get()) {
    // A source in memory is read in place, a piece at a time so that the source can let
    // read pages go; the buffer then only takes the last few bytes.
    std::size_t n = 0;
    if (const std::uint8_t* v = source_.View(n)) {
        p_ = v;
        viewEnd_ = v + n;
        end_ = v + std::min(n, ByteSource::kViewPiece);
    }
}

void BitReader::RefillSlow() {
    if (viewEnd_ && end_ < viewEnd_) {
        source_.Release(p_);
        const std::size_t left = static_cast<std::size_t>(viewEnd_ - end_);
        end_ += std::min(left, ByteSource::kViewPiece);
        if (end_ - p_ >= 8) {
            Refill();
            return;
        }
    }
    viewEnd_ = nullptr;  // the view's last bytes go to the buffer below
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
