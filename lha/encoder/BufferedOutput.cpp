#include "lha/encoder/BufferedOutput.h"

namespace kavrel::lha {

bool BufferedArchiveOutput::Write(const void* data, std::size_t size) {
    if (failed_) return false;
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (buffer_.size() + size > kBuffer && !Flush()) return false;
    if (size >= kBuffer) {
        if (!WriteRawAt(written_, p, size)) return Fail();
        written_ += size;
        return true;
    }
    buffer_.insert(buffer_.end(), p, p + size);
    return true;
}

bool BufferedArchiveOutput::Truncate(std::uint64_t offset) {
    if (!Flush() || offset > written_ || !TruncateRaw(offset)) return Fail();
    written_ = offset;
    return true;
}

bool BufferedArchiveOutput::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (!Flush() || offset + size > written_) return Fail();
    return WriteRawAt(offset, static_cast<const std::uint8_t*>(data), size) || Fail();
}

bool BufferedArchiveOutput::Close() {
    const bool flushed = Flush();
    return CloseRaw() && flushed && !failed_;
}

bool BufferedArchiveOutput::Flush() {
    if (failed_) return false;
    if (buffer_.empty()) return true;
    if (!WriteRawAt(written_, buffer_.data(), buffer_.size())) return Fail();
    written_ += buffer_.size();
    buffer_.clear();
    return true;
}

}  // namespace kavrel::lha
