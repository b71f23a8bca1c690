// The archive's output with a write buffer in front: what both platforms share. An
// implementation only writes at an offset, truncates and closes.
#pragma once

#include <cstdint>
#include <vector>

#include "lha/encoder/SourceFileSystem.h"

namespace kavrel::lha {

class BufferedArchiveOutput : public ArchiveOutput {
public:
    BufferedArchiveOutput() { buffer_.reserve(kBuffer); }
    bool Write(const void* data, std::size_t size) override;
    std::uint64_t Position() const override { return written_ + buffer_.size(); }
    bool Truncate(std::uint64_t offset) override;
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
    bool Close() override;

protected:
    // All `size` bytes at `offset`, or false.
    virtual bool WriteRawAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) = 0;
    virtual bool TruncateRaw(std::uint64_t offset) = 0;
    virtual bool CloseRaw() = 0;

private:
    static constexpr std::size_t kBuffer = std::size_t{1} << 16;
    bool Flush();
    bool Fail() {
        failed_ = true;
        return false;
    }
    std::vector<std::uint8_t> buffer_;
    std::uint64_t written_ = 0;  // bytes in the file, the buffer behind them
    bool failed_ = false;
};

}  // namespace kavrel::lha
