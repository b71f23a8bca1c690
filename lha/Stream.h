// The two ends of a decoder: where compressed bytes come from and where decoded bytes go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kavrel::lha {

class ByteSource {
public:
    // How much of a view a reader takes at a time before releasing what it has read.
    static constexpr std::size_t kViewPiece = 256u << 10;

    virtual ~ByteSource() = default;
    // Up to `size` bytes; 0 at the end of the data.
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t size) = 0;
    // All the remaining bytes in place, when they are in memory already (a mapped file):
    // consumes them, so that Read then returns 0. nullptr otherwise.
    virtual const std::uint8_t* View(std::size_t& size) {
        size = 0;
        return nullptr;
    }
    // The view's bytes before `upTo` are read: a mapped file may let their pages go, so
    // that memory does not grow with the archive.
    virtual void Release(const std::uint8_t* upTo) { (void)upTo; }
};

class Sink {
public:
    virtual ~Sink() = default;
    // False when the bytes could not be stored: the decoder stops at once.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

// A source over bytes in memory (tests, fuzzing); `inPlace` also offers them as a view,
// as a mapped file does.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size, bool inPlace = false)
        : p_(static_cast<const std::uint8_t*>(data)), left_(size), inPlace_(inPlace) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = size < left_ ? size : left_;
        if (n) std::memcpy(buffer, p_, n);
        p_ += n;
        left_ -= n;
        return n;
    }
    const std::uint8_t* View(std::size_t& size) override {
        size = 0;
        if (!inPlace_ || left_ == 0) return nullptr;
        const std::uint8_t* p = p_;
        size = left_;
        p_ += left_;
        left_ = 0;
        return p;
    }

private:
    const std::uint8_t* p_;
    std::size_t left_;
    bool inPlace_;
};

}  // namespace kavrel::lha
