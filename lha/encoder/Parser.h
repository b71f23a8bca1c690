// Parsers turn bytes into literals and matches. The stream encoder keeps the bytes in
// one buffer (history in front, look-ahead behind) and moves it down from time to time;
// a parser keeps positions in that buffer and shifts them when it moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "lha/encoder/Encoder.h"
#include "lha/encoder/Symbols.h"

namespace kavrel::lha::encoder {

class BlockCoder;

// What a compression level does: lazy hash-chain parsing (levels 1 to 8) or optimal
// parsing over a binary tree (level 9).
struct LevelSettings {
    bool optimal = false;
    int chain = 128;     // hash-chain candidates tried per position
    int nice = 128;      // a match this long ends the search
    bool lazy = true;    // try the next position before taking a match
    bool lazy2 = true;   // ... and the one after it
    int lazyLimit = 64;  // ... unless the match is at least this long
    int cut = 32;        // binary-tree nodes visited per position (optimal)
    int passes = 1;      // parses per chunk, each priced by the previous one's codes
    bool rivalDefault = false;  // also parse as the default level, keep the cheaper chunk
};

// Settings of level 1..9; 0 is the default level.
LevelSettings SettingsForLevel(int level);

// Encode() with settings of one's own (tests and tuning).
EncodeStatus EncodeWith(Method method, const LevelSettings& settings, ByteSource& in, Sink& out,
                        EncodeStats& stats);

class Parser {
public:
    virtual ~Parser() = default;
    // Parses the bytes from `pos` to `end`, no match running past `end`, and returns
    // `end`. The bytes from `end` to `avail` are only looked at (hashes, the match
    // finder's look-ahead). Positions below `pos` were parsed by earlier calls.
    virtual std::size_t Parse(const std::uint8_t* buffer, std::size_t pos, std::size_t end, std::size_t avail,
                              std::vector<Symbol>& out) = 0;
    // The buffer moved down by `shift` bytes (a multiple of the window size).
    virtual void Rebase(std::size_t shift) = 0;
};

std::unique_ptr<Parser> MakeLazyParser(int windowBits, const LevelSettings& settings);
std::unique_ptr<Parser> MakeOptimalParser(int windowBits, const BlockCoder& coder, const LevelSettings& settings);

// Length of the common prefix of a and b, at most `max`; may read up to 7 bytes past
// `max` from both.
inline int MatchLength(const std::uint8_t* a, const std::uint8_t* b, int max) {
    int n = 0;
    while (n < max) {
        std::uint64_t x;
        std::uint64_t y;
        __builtin_memcpy(&x, a + n, 8);
        __builtin_memcpy(&y, b + n, 8);
        const std::uint64_t d = x ^ y;
        if (d) {
            n += __builtin_ctzll(d) >> 3;
            return n < max ? n : max;
        }
        n += 8;
    }
    return max;
}

inline std::uint32_t Hash3(const std::uint8_t* p, int bits) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16);
    return (v * 0x9E3779B1u) >> (32 - bits);
}

// Positions kept in tables: -1 for none; shifting drops what falls off the front.
inline void ShiftPositions(std::vector<std::int32_t>& table, std::size_t shift) {
    const auto s = static_cast<std::int32_t>(shift);
    for (std::int32_t& v : table) v = v >= s ? v - s : -1;
}

}  // namespace kavrel::lha::encoder
