// libFuzzer target of the encoder: any input, encoded with the method and level its
// first byte picks, must come back byte for byte through the library's decoder and the
// strict reader (which refuses what any reader might). Build: -DKAVREL_FUZZ=ON with clang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lha/Crc16.h"
#include "lha/Decoder.h"
#include "lha/encoder/Encoder.h"
#include "StrictStream.h"
#include "StringSink.h"

using namespace kavrel::lha;
using kavrel::lha::test::StringSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t pick = data[0];
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    static const Method kMethods[] = {Method::Lh5, Method::Lh6, Method::Lh7};
    const int m = pick % 3;
    const int level = (pick / 3) % 10;

    MemorySource source(input.data(), input.size());
    StringSink packed;
    EncodeStats stats;
    if (Encode(kMethods[m], level, source, packed, stats) != EncodeStatus::Ok) __builtin_trap();
    if (stats.inputSize != input.size() || stats.outputSize != packed.text.size()) __builtin_trap();
    if (stats.crc != Crc16(input.data(), input.size())) __builtin_trap();

    MemorySource back(packed.text.data(), packed.text.size());
    StringSink decoded;
    if (Decode(kMethods[m], back, input.size(), decoded) != DecodeStatus::Ok) __builtin_trap();
    if (decoded.text != input) __builtin_trap();
    const auto strict = kavrel::lha::test::ReadStrict(packed.text, WindowBits(kMethods[m]), input.size());
    if (!strict.ok || strict.output != input) __builtin_trap();
    return 0;
}
