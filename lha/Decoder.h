// One interface for every compression method: decode `size` bytes from a source into
// a sink. Decoding stops at the declared size whatever the stream says (a stream that
// would produce more is cut there; the caller's CRC check then judges the result).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lha/Stream.h"

namespace kavrel::lha {

enum class Method {
    Unknown,
    Stored,     // -lh0-, -lz4-, -pm0-
    Directory,  // -lhd-
    Lh1,        // dynamic Huffman, 4 KiB window
    Lh4,        // static Huffman, 4 KiB window
    Lh5,        // 8 KiB
    Lh6,        // 32 KiB
    Lh7,        // 64 KiB
    Lhx,        // UNLHA32's extension: the same coding, position codes for a 512 KiB window
    Lzs,        // LArc, 2 KiB
    Lz5,        // LArc, 4 KiB
};

// The method named by the five bytes of a header ("-lh5-"); Unknown for any other.
Method MethodFromId(const char id[5]);

enum class DecodeStatus {
    Ok,           // exactly `size` bytes went to the sink
    Corrupt,      // the stream is damaged or ends early
    OutputFailed  // the sink refused bytes
};

DecodeStatus Decode(Method method, ByteSource& in, std::uint64_t size, Sink& out);

}  // namespace kavrel::lha
