#include "artwork/BitmapRle.h"

#include <algorithm>

#include "artwork/BitmapFile.h"

namespace kavrel {

namespace {

// Escape codes after a zero count.
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kDelta = 2;

// The compressed bytes, read from the file in chunks as the decoder asks for them.
class ByteSource {
public:
    explicit ByteSource(InputFile& file) : file_(file) {}

    bool Next(std::uint8_t& byte) {
        if (pos_ == len_) {
            if (ended_) return false;
            len_ = file_.Read(buffer_.data(), buffer_.size());
            pos_ = 0;
            if (len_ == 0) {
                ended_ = true;
                return false;
            }
        }
        byte = buffer_[pos_++];
        return true;
    }

private:
    InputFile& file_;
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(kReadChunk);
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
};

// The picture being drawn: a pen at (x, y), y counted from the bottom row, whose rows
// are added to the block only when a pixel lands in them.
class Canvas {
public:
    Canvas(const RleTarget& target, std::vector<std::uint8_t>& block, std::size_t offset)
        : t_(target), block_(block), offset_(offset),
          size_(offset + static_cast<std::size_t>(target.rowBytes) * target.rows) {
        block_.resize(offset_);
    }

    // One pixel at the pen, which then moves right; dropped beyond the row's end.
    void Put(std::uint8_t index) {
        std::uint8_t* row = x_ < t_.width ? Row() : nullptr;
        if (row != nullptr) {
            if (t_.bitCount == 8) {
                row[x_] = index;
            } else {
                const unsigned shift = (x_ & 1) == 0 ? 4 : 0;  // left pixel in the high nibble
                std::uint8_t& b = row[x_ / 2];
                b = static_cast<std::uint8_t>((b & ~(0x0F << shift)) | (index & 0x0F) << shift);
            }
        }
        Advance(1);
    }
    void Advance(std::uint32_t dx) { x_ = std::min(x_ + dx, t_.width); }
    void NextLine() {
        x_ = 0;
        ++y_;
    }
    void Up(std::uint32_t dy) { y_ = std::min(y_ + dy, t_.rows); }
    // Past the top row: nothing more can be drawn.
    bool Full() const { return y_ >= t_.rows; }
    // The memory for the picture could not be had.
    bool OutOfMemory() const { return outOfMemory_; }
    // The rows no run reached stay colour index 0.
    bool Finish() { return GrowTo(size_); }

private:
    std::uint8_t* Row() {
        const std::size_t end = offset_ + static_cast<std::size_t>(t_.rowBytes) * (y_ + 1);
        if (block_.size() < end && !GrowTo(end)) return nullptr;
        return block_.data() + end - t_.rowBytes;
    }
    // Doubles as the rows come, but never reserves beyond the whole picture.
    bool GrowTo(std::size_t size) {
        if (outOfMemory_ || !TryGrow(block_, size, size_)) {
            outOfMemory_ = true;
            return false;
        }
        block_.resize(size);
        return true;
    }

    const RleTarget& t_;
    std::vector<std::uint8_t>& block_;
    std::size_t offset_;
    std::size_t size_;
    std::uint32_t x_ = 0;
    std::uint32_t y_ = 0;
    bool outOfMemory_ = false;
};

// An absolute run: `count` pixels as they are, padded to a whole 16-bit word.
bool CopyAbsolute(ByteSource& in, Canvas& canvas, std::uint16_t bitCount, std::uint8_t count) {
    const unsigned bytes = bitCount == 8 ? count : (count + 1u) / 2;
    std::uint8_t b = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (bitCount == 8) {
            if (!in.Next(b)) return false;
            canvas.Put(b);
        } else if (i % 2 == 0) {
            if (!in.Next(b)) return false;
            canvas.Put(b >> 4);
        } else {
            canvas.Put(b & 0x0F);
        }
    }
    // The padding byte may be missing at the very end of the file: the pixels are all
    // there, and what follows is read (or found missing) as the next command.
    if (bytes % 2 != 0) (void)in.Next(b);
    return true;
}

// An encoded run: one index repeated, or for 4 bits two indices alternating.
void FillRun(Canvas& canvas, std::uint16_t bitCount, std::uint8_t count, std::uint8_t value) {
    for (unsigned i = 0; i < count; ++i) {
        if (bitCount == 8) {
            canvas.Put(value);
        } else {
            canvas.Put(i % 2 == 0 ? value >> 4 : value & 0x0F);
        }
    }
}

}  // namespace

bool DecodeRleBits(InputFile& file, const RleTarget& target, std::vector<std::uint8_t>& block,
                   std::size_t offset) {
    if (block.size() < offset || (target.bitCount != 4 && target.bitCount != 8)) return false;
    ByteSource in(file);
    Canvas canvas(target, block, offset);
    std::uint8_t count = 0;
    std::uint8_t code = 0;
    while (!canvas.Full() && !canvas.OutOfMemory()) {
        if (!in.Next(count) || !in.Next(code)) return false;
        if (count != 0) {
            FillRun(canvas, target.bitCount, count, code);
            continue;
        }
        if (code == kEndOfLine) {
            canvas.NextLine();
        } else if (code == kEndOfBitmap) {
            break;
        } else if (code == kDelta) {
            std::uint8_t dx = 0;
            std::uint8_t dy = 0;
            if (!in.Next(dx) || !in.Next(dy)) return false;
            canvas.Advance(dx);
            canvas.Up(dy);
        } else if (!CopyAbsolute(in, canvas, target.bitCount, code)) {
            return false;
        }
    }
    return canvas.Finish();
}

}  // namespace kavrel
