#include "lha/encoder/Encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "lha/Crc16.h"
#include "lha/encoder/BitWriter.h"
#include "lha/encoder/BlockCoder.h"
#include "lha/encoder/BlockSplitter.h"
#include "lha/encoder/Parser.h"

namespace kavrel::lha {

namespace {

using namespace encoder;

constexpr std::size_t kChunk = std::size_t{1} << 20;  // a multiple of every window
constexpr std::size_t kLookahead = 2 * kMaxMatch + 64;
constexpr std::size_t kSlack = 16;                      // MatchLength reads a little past the data
constexpr std::size_t kOutputRun = std::size_t{1} << 16;

// Reads until `size` bytes are in or the source ends.
std::size_t ReadFully(ByteSource& in, std::uint8_t* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = in.Read(buffer + got, size - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

EncodeStatus Store(ByteSource& in, Sink& out, EncodeStats& stats) {
    std::vector<std::uint8_t> buffer(kOutputRun);
    for (;;) {
        const std::size_t n = ReadFully(in, buffer.data(), buffer.size());
        if (n == 0) return EncodeStatus::Ok;
        stats.crc = UpdateCrc16(stats.crc, buffer.data(), n);
        stats.inputSize += n;
        if (!out.Write(buffer.data(), n)) return EncodeStatus::OutputFailed;
        stats.outputSize += n;
    }
}

bool Drain(BitWriter& bits, Sink& out, EncodeStats& stats) {
    std::vector<std::uint8_t>& bytes = bits.Bytes();
    if (bytes.empty()) return true;
    if (!out.Write(bytes.data(), bytes.size())) return false;
    stats.outputSize += bytes.size();
    bits.Take();
    return true;
}

}  // namespace

EncodeStatus Encode(Method method, int level, ByteSource& in, Sink& out, EncodeStats& stats) {
    return encoder::EncodeWith(method, SettingsForLevel(level), in, out, stats);
}

EncodeStatus encoder::EncodeWith(Method method, const LevelSettings& settings, ByteSource& in, Sink& out,
                                 EncodeStats& stats) {
    stats = EncodeStats{};
    if (!CanEncode(method)) return EncodeStatus::UnsupportedMethod;
    if (method == Method::Stored) return Store(in, out, stats);

    const int windowBits = WindowBits(method);
    const std::size_t window = std::size_t{1} << windowBits;
    const BlockCoder coder(PositionCodes(windowBits));
    std::unique_ptr<Parser> parser =
        settings.optimal ? MakeOptimalParser(windowBits, coder, settings) : MakeLazyParser(windowBits, settings);
    // Parsed alongside, as the default level parses: where its chunk costs less, it is written.
    std::unique_ptr<Parser> rival = settings.rivalDefault ? MakeLazyParser(windowBits, SettingsForLevel(0)) : nullptr;
    BlockSplitter splitter(coder);
    BitWriter bits;
    std::vector<Symbol> symbols;
    std::vector<Symbol> rivalSymbols;

    // History (one window) in front, a chunk of fresh bytes, and look-ahead behind. The
    // input is cut into chunks at every 1 MiB, each parsed to its last byte (no match runs
    // past it) and written in blocks of its own: so two parses of a chunk compare by bits.
    const std::size_t capacity = window + kChunk + kLookahead;
    std::vector<std::uint8_t> buffer(capacity + kSlack, 0);
    std::size_t filled = 0;
    std::size_t pos = 0;
    bool eof = false;
    for (;;) {
        if (!eof) {
            const std::size_t n = ReadFully(in, buffer.data() + filled, capacity - filled);
            stats.crc = UpdateCrc16(stats.crc, buffer.data() + filled, n);
            stats.inputSize += n;
            filled += n;
            eof = filled < capacity;
        }
        const std::size_t end = std::min(filled, pos + kChunk);
        if (pos < end) {
            symbols.clear();
            parser->Parse(buffer.data(), pos, end, filled, symbols);
            if (rival) {
                rivalSymbols.clear();
                rival->Parse(buffer.data(), pos, end, filled, rivalSymbols);
                if (splitter.Cost(rivalSymbols) < splitter.Cost(symbols)) symbols.swap(rivalSymbols);
            }
            splitter.Write(symbols, bits);
            if (!Drain(bits, out, stats)) return EncodeStatus::OutputFailed;
        }
        pos = end;
        if (eof && pos == filled) break;
        // Keep one window of history before `pos`; a chunk is a whole number of windows.
        const std::size_t shift = pos - window;
        std::memmove(buffer.data(), buffer.data() + shift, filled - shift);
        filled -= shift;
        pos -= shift;
        parser->Rebase(shift);
        if (rival) rival->Rebase(shift);
    }
    bits.AlignToByte();
    return Drain(bits, out, stats) ? EncodeStatus::Ok : EncodeStatus::OutputFailed;
}

}  // namespace kavrel::lha
