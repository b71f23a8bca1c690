// The two ends of a decoder: where compressed bytes come from and where decoded bytes go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kavrel::lha {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes; 0 at the end of the data.
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t size) = 0;
};

class Sink {
public:
    virtual ~Sink() = default;
    // False when the bytes could not be stored: the decoder stops at once.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

// A source over bytes in memory (tests, fuzzing).
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size)
        : p_(static_cast<const std::uint8_t*>(data)), left_(size) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = size < left_ ? size : left_;
        if (n) std::memcpy(buffer, p_, n);
        p_ += n;
        left_ -= n;
        return n;
    }

private:
    const std::uint8_t* p_;
    std::size_t left_;
};

}  // namespace kavrel::lha
