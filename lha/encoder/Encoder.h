// Kavrel's LZH encoder: -lh5-, -lh6- and -lh7- (LZ77 with static Huffman codes sent per
// block) and -lh0- (stored), streaming with bounded memory (a few MiB whatever the
// input size). Portable; linked into the vendor tools, never into UNLHA32.dll.
#pragma once

#include <cstdint>

#include "lha/Format.h"
#include "lha/Stream.h"

namespace kavrel::lha {

// The methods the encoder writes.
inline constexpr Method kEncodedMethods[] = {Method::Stored, Method::Lh5, Method::Lh6, Method::Lh7};
constexpr bool CanEncode(Method method) {
    for (const Method m : kEncodedMethods) {
        if (m == method) return true;
    }
    return false;
}

struct EncodeStats {
    std::uint64_t inputSize = 0;
    std::uint64_t outputSize = 0;
    std::uint16_t crc = 0;  // CRC-16 of the input
};

enum class EncodeStatus { Ok, OutputFailed, UnsupportedMethod };

// Encodes everything `in` gives into `out`. `level`: 0 for the default, 1..9 (9 the
// maximum). Stops at once when the sink refuses bytes.
EncodeStatus Encode(Method method, int level, ByteSource& in, Sink& out, EncodeStats& stats);

}  // namespace kavrel::lha
