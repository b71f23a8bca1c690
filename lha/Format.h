// The LZH format's numbers, in one place for the decoders, the encoder and the vendor
// tools: the methods and their ids, the window of each, and the alphabets of the
// static-Huffman methods (-lh4- to -lh7-, -lhx-).
#pragma once

#include <cstring>

namespace kavrel::lha {

enum class Method {
    Unknown,
    Stored,     // -lh0-, -lz4-, -pm0- (written as -lh0-)
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

struct MethodInfo {
    char id[6];      // the five bytes of a header, and a terminator
    Method method;
    int windowBits;  // log2 of the window (0: no window)
    bool larc;       // LArc's: its archives end without an end mark
};

// The first row of a method holds the id written for it.
inline constexpr MethodInfo kMethodIds[] = {
    {"-lh0-", Method::Stored, 0, false}, {"-lz4-", Method::Stored, 0, true},
    {"-pm0-", Method::Stored, 0, false}, {"-lhd-", Method::Directory, 0, false},
    {"-lh1-", Method::Lh1, 12, false},   {"-lh4-", Method::Lh4, 12, false},
    {"-lh5-", Method::Lh5, 13, false},   {"-lh6-", Method::Lh6, 15, false},
    {"-lh7-", Method::Lh7, 16, false},   {"-lhx-", Method::Lhx, 19, false},
    {"-lzs-", Method::Lzs, 11, true},    {"-lz5-", Method::Lz5, 12, true},
};

// The row of a header's five id bytes ("-lh5-"), or nullptr for any other.
inline const MethodInfo* FindMethodId(const char id[5]) {
    for (const MethodInfo& m : kMethodIds) {
        if (std::memcmp(id, m.id, 5) == 0) return &m;
    }
    return nullptr;
}
inline Method MethodFromId(const char id[5]) {
    const MethodInfo* m = FindMethodId(id);
    return m ? m->method : Method::Unknown;
}
// The id written for `method`; "" for Unknown.
constexpr const char* MethodId(Method method) {
    for (const MethodInfo& m : kMethodIds) {
        if (m.method == method) return m.id;
    }
    return "";
}
constexpr int WindowBits(Method method) {
    for (const MethodInfo& m : kMethodIds) {
        if (m.method == method) return m.windowBits;
    }
    return 0;
}

// --- the static-Huffman methods ---
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
// A literal is its byte; a match of length n the symbol n + kMatchOffset (256..509).
constexpr int kMatchOffset = 256 - kMinMatch;
constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1;  // 510 literal/length symbols
constexpr int kCBits = 9;                             // bits of their count, and of a long zero run
constexpr int kNT = 19;                               // pre-tree symbols (codes of code lengths)
constexpr int kTBits = 5;
constexpr int kMaxBlockSymbols = 65535;  // the block's 16-bit symbol count
// Position codes: the bit length of distance - 1. -lh4- shares -lh5-'s 14.
constexpr int PositionCodes(int windowBits) { return windowBits <= 13 ? 14 : windowBits + 1; }
constexpr int PositionCodeBits(int np) { return np <= 14 ? 4 : 5; }  // bits of their count
constexpr int kMaxEncodedNP = PositionCodes(WindowBits(Method::Lh7));  // the encoder's largest: 17

}  // namespace kavrel::lha
