#pragma once

#include "lha/Decoder.h"

namespace kavrel::lha {

// -lh4- to -lh7- (dictionaryBits 12, 13, 15, 16); -lhx- as 19.
DecodeStatus DecodeStatic(int dictionaryBits, ByteSource& in, std::uint64_t size, Sink& out);

}  // namespace kavrel::lha
