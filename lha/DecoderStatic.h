#pragma once

#include "lha/Decoder.h"

namespace kavrel::lha {

// -lh4- to -lh7- and -lhx-; `dictionaryBits` is the method's WindowBits.
DecodeStatus DecodeStatic(int dictionaryBits, ByteSource& in, std::uint64_t size, Sink& out);

}  // namespace kavrel::lha
