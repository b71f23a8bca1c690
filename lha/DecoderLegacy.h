// The older methods, kept for archives from LHarc and LArc days.
#pragma once

#include "lha/Decoder.h"

namespace kavrel::lha {

DecodeStatus DecodeLh1(ByteSource& in, std::uint64_t size, Sink& out);
DecodeStatus DecodeLzs(ByteSource& in, std::uint64_t size, Sink& out);
DecodeStatus DecodeLz5(ByteSource& in, std::uint64_t size, Sink& out);

}  // namespace kavrel::lha
