#include "lha/Decoder.h"

#include <algorithm>
#include <memory>

#include "lha/DecoderLegacy.h"
#include "lha/DecoderStatic.h"

namespace kavrel::lha {
namespace {

DecodeStatus CopyStored(ByteSource& in, std::uint64_t size, Sink& out) {
    // Bytes in place go straight to the sink, a piece at a time.
    constexpr std::size_t kPiece = ByteSource::kViewPiece;
    std::size_t viewSize = 0;
    if (const std::uint8_t* v = in.View(viewSize)) {
        const std::size_t n = viewSize < size ? viewSize : static_cast<std::size_t>(size);
        for (std::size_t at = 0; at < n; at += kPiece) {
            const std::size_t piece = std::min(n - at, kPiece);
            if (!out.Write(v + at, piece)) return DecodeStatus::OutputFailed;
            in.Release(v + at + piece);
        }
        return n == size ? DecodeStatus::Ok : DecodeStatus::Corrupt;
    }
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[1 << 16]);
    while (size > 0) {
        const std::size_t want = size < (1u << 16) ? static_cast<std::size_t>(size) : (1u << 16);
        const std::size_t n = in.Read(buffer.get(), want);
        if (n == 0) return DecodeStatus::Corrupt;
        if (!out.Write(buffer.get(), n)) return DecodeStatus::OutputFailed;
        size -= n;
    }
    return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus Decode(Method method, ByteSource& in, std::uint64_t size, Sink& out) {
    switch (method) {
    case Method::Stored: return CopyStored(in, size, out);
    case Method::Directory: return size == 0 ? DecodeStatus::Ok : DecodeStatus::Corrupt;
    case Method::Lh1: return DecodeLh1(in, size, out);
    case Method::Lh4:
    case Method::Lh5:
    case Method::Lh6:
    case Method::Lh7:
    case Method::Lhx: return DecodeStatic(WindowBits(method), in, size, out);
    case Method::Lzs: return DecodeLzs(in, size, out);
    case Method::Lz5: return DecodeLz5(in, size, out);
    case Method::Unknown: break;
    }
    return DecodeStatus::Corrupt;
}

}  // namespace kavrel::lha
