// One interface for every compression method: decode `size` bytes from a source into
// a sink. Decoding stops at the declared size whatever the stream says (a stream that
// would produce more is cut there; the caller's CRC check then judges the result).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lha/Format.h"
#include "lha/Stream.h"

namespace kavrel::lha {

enum class DecodeStatus {
    Ok,           // exactly `size` bytes went to the sink
    Corrupt,      // the stream is damaged or ends early
    OutputFailed  // the sink refused bytes
};

DecodeStatus Decode(Method method, ByteSource& in, std::uint64_t size, Sink& out);

}  // namespace kavrel::lha
