// The sliding window of the LZ decoders: `history` bytes of earlier output in front of
// a run of fresh output. Before the first byte the history holds blanks, as LHA's
// dictionary does. When the fresh run fills up it goes to the sink and the last
// `history` bytes move to the front, so a match never wraps around the buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "lha/Format.h"
#include "lha/Stream.h"

namespace kavrel::lha {

class Window {
public:
    static constexpr std::size_t kMaxMatch = lha::kMaxMatch;  // the longest of every method

    Window(std::size_t history, Sink& sink, std::size_t run = 0)
        : history_(history),
          run_(run ? run : (256u << 10)),
          buffer_(new std::uint8_t[history_ + run_ + kMaxMatch + 16]),
          sink_(sink) {
        std::memset(buffer_.get(), ' ', history_);
        pos_ = history_;
        limit_ = history_ + run_;
    }

    // Room for one literal or match of up to kMaxMatch bytes; false when the sink failed.
    bool Reserve() { return pos_ < limit_ || Flush(); }
    void Put(std::uint8_t byte) { buffer_[pos_++] = byte; }
    // Copies `length` (<= kMaxMatch) bytes from `distance` (1..history) back.
    // Sixteen or eight at a time when the distance allows; may write up to 15 bytes past
    // the end (slack in the buffer).
    void Copy(std::size_t distance, std::size_t length) {
        CopyMatch(buffer_.get() + pos_, distance, length);
        pos_ += length;
    }
    // Direct access for inlined decoding: the next byte goes to Cursor(); a literal or
    // match may start anywhere below Limit().
    std::uint8_t* Cursor() { return buffer_.get() + pos_; }
    std::uint8_t* Limit() { return buffer_.get() + limit_; }
    // Bytes that fit from Cursor() on: up to Limit() and one longest match past it.
    std::size_t Room() const { return limit_ + kMaxMatch - pos_; }
    void SetCursor(std::uint8_t* cursor) { pos_ = static_cast<std::size_t>(cursor - buffer_.get()); }
    static void CopyMatch(std::uint8_t* d, std::size_t distance, std::size_t length) {
        const std::uint8_t* s = d - distance;
        if (distance >= 16) {
            // Most matches are short: one 16-byte copy, no loop to mispredict.
            std::memcpy(d, s, 16);
            for (std::size_t i = 16; i < length; i += 16) std::memcpy(d + i, s + i, 16);
        } else if (distance >= 8) {
            for (std::size_t i = 0; i < length; i += 8) std::memcpy(d + i, s + i, 8);
        } else if (distance == 1) {
            std::memset(d, *s, length);
        } else {
            for (std::size_t i = 0; i < length; ++i) d[i] = s[i];
        }
    }
    // Writes out what is pending; true on success.
    bool Flush() {
        if (pos_ > history_ && !sink_.Write(buffer_.get() + history_, pos_ - history_)) return false;
        std::memmove(buffer_.get(), buffer_.get() + pos_ - history_, history_);
        pos_ = history_;
        return true;
    }

private:
    std::size_t history_;
    std::size_t run_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    Sink& sink_;
    std::size_t pos_;
    std::size_t limit_;
};

}  // namespace kavrel::lha
