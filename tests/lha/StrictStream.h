// A strict reader of -lh5-/-lh6-/-lh7- streams for the encoder's tests. The library's
// decoder is lenient on purpose (it accepts incomplete codes, runs of zeros past a
// table's count, padding of any length); other readers are not. This one refuses
// everything that any reader might, so a test knows the encoder wrote only what every
// reader takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lha/Format.h"

namespace kavrel::lha::test {

struct StrictResult {
    bool ok = false;
    std::string problem;  // what was refused, and where
    std::string output;   // the decoded bytes
    int blocks = 0;
    int longestCode = 0;      // over all tables
    int largestPreTree = 0;   // the pre-tree's count field
};

// windowBits: 13 (-lh5-), 15 (-lh6-), 16 (-lh7-).
inline StrictResult ReadStrict(const std::string& data, int windowBits, std::uint64_t size) {
    StrictResult r;
    std::size_t bitPos = 0;
    const std::size_t totalBits = data.size() * 8;
    bool overrun = false;
    auto get = [&](int n) -> std::uint32_t {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (bitPos >= totalBits) {
                overrun = true;
                return 0;
            }
            const int bit = (static_cast<unsigned char>(data[bitPos / 8]) >> (7 - bitPos % 8)) & 1;
            v = (v << 1) | static_cast<std::uint32_t>(bit);
            ++bitPos;
        }
        return v;
    };
    auto fail = [&](const std::string& why) {
        r.ok = false;
        r.problem = why + " (block " + std::to_string(r.blocks) + ", bit " + std::to_string(bitPos) + ")";
        return r;
    };
    struct Code {
        std::vector<int> lengths;
        int single = -1;
        int count[17] = {};
        std::vector<int> sorted;  // symbols by length, then by value
        void Prepare() {
            sorted.clear();
            for (int len = 1; len <= 16; ++len) {
                count[len] = 0;
                for (std::size_t s = 0; s < lengths.size(); ++s) {
                    if (lengths[s] == len) {
                        ++count[len];
                        sorted.push_back(static_cast<int>(s));
                    }
                }
            }
        }
    };
    // Complete canonical code, or one symbol; decodes bit by bit.
    auto check = [&](const Code& c, const char* what) -> std::string {
        if (c.single >= 0) return "";
        std::uint64_t kraft = 0;
        int used = 0;
        for (int len : c.lengths) {
            if (len > 16) return std::string(what) + ": code longer than 16 bits";
            if (len) {
                kraft += std::uint64_t{1} << (16 - len);
                ++used;
                if (len > r.longestCode) r.longestCode = len;
            }
        }
        if (used < 2) return std::string(what) + ": fewer than two codes (needs the one-symbol form)";
        if (kraft != (std::uint64_t{1} << 16)) return std::string(what) + ": incomplete or over-full code";
        return "";
    };
    auto decode = [&](const Code& c) -> int {
        if (c.single >= 0) return c.single;
        std::uint32_t code = 0;
        std::uint32_t first = 0;
        int index = 0;
        for (int len = 1; len <= 16; ++len) {
            code = (code << 1) | get(1);
            const auto count = static_cast<std::uint32_t>(c.count[len]);
            if (code - first < count) return c.sorted[static_cast<std::size_t>(index) + (code - first)];
            index += c.count[len];
            first = (first + count) << 1;
        }
        return -1;
    };
    auto readPt = [&](Code& c, int count, int countBits, bool zeroRun, std::string& why) {
        c = Code{};
        c.lengths.assign(static_cast<std::size_t>(count), 0);
        const int n = static_cast<int>(get(countBits));
        if (n == 0) {
            c.single = static_cast<int>(get(countBits));
            if (c.single >= count) why = "one-symbol table names a symbol out of range";
            return;
        }
        if (n > count) {
            why = "table count too large";
            return;
        }
        if (zeroRun && n > r.largestPreTree) r.largestPreTree = n;
        for (int i = 0; i < n;) {
            int len = static_cast<int>(get(3));
            if (len == 7) {
                while (get(1)) {
                    if (++len > 16) {
                        why = "unary length past 16";
                        return;
                    }
                }
            }
            c.lengths[static_cast<std::size_t>(i++)] = len;
            if (zeroRun && i == 3) {
                const int zeros = static_cast<int>(get(2));
                if (zeros > n - 3) {
                    why = "zero run past the table's count";
                    return;
                }
                i += zeros;
            }
        }
    };
    const int np = windowBits + 1;
    const int pbits = windowBits <= 13 ? 4 : 5;
    const std::size_t maxDistance = (std::size_t{1} << windowBits) - 1;
    std::string& out = r.output;
    while (out.size() < size) {
        ++r.blocks;
        const std::uint32_t symbols = get(16);
        if (symbols == 0) return fail("empty block");
        std::string why;
        Code t, c, p;
        readPt(t, 19, 5, true, why);
        if (!why.empty() || !(why = check(t, "pre-tree")).empty()) return fail(why);
        t.Prepare();
        c.lengths.assign(kNC, 0);
        const int n = static_cast<int>(get(9));
        if (n == 0) {
            c.single = static_cast<int>(get(9));
            if (c.single >= kNC) return fail("one-symbol literal table out of range");
        } else {
            if (n > kNC) return fail("literal table count too large");
            for (int i = 0; i < n;) {
                const int s = decode(t);
                if (s < 0) return fail("bad pre-tree code");
                if (s <= 2) {
                    const int zeros = s == 0 ? 1 : s == 1 ? static_cast<int>(get(4)) + 3 : static_cast<int>(get(9)) + 20;
                    if (zeros > n - i) return fail("zero run past the literal table's count");
                    i += zeros;
                } else {
                    c.lengths[static_cast<std::size_t>(i++)] = s - 2;
                }
            }
        }
        if (!(why = check(c, "literal/length code")).empty()) return fail(why);
        c.Prepare();
        readPt(p, np, pbits, false, why);
        if (!why.empty() || !(why = check(p, "position code")).empty()) return fail(why);
        p.Prepare();
        for (std::uint32_t k = 0; k < symbols; ++k) {
            if (out.size() >= size) return fail("symbols after the end of the data");
            const int s = decode(c);
            if (s < 0) return fail("bad literal/length code");
            if (s < 256) {
                out += static_cast<char>(s);
                continue;
            }
            const std::size_t length = static_cast<std::size_t>(s - kMatchOffset);
            const int pc = decode(p);
            if (pc < 0) return fail("bad position code");
            std::size_t distance = static_cast<std::size_t>(pc);
            if (pc > 1) distance = (std::size_t{1} << (pc - 1)) + get(pc - 1);
            ++distance;
            if (distance > maxDistance) return fail("distance as large as the window");
            if (distance > out.size()) return fail("distance before the start of the data");
            if (out.size() + length > size) return fail("match past the end of the data");
            for (std::size_t i = 0; i < length; ++i) out += out[out.size() - distance];
        }
        if (overrun) return fail("stream ends early");
    }
    if (overrun) return fail("stream ends early");
    if (totalBits - bitPos >= 8) return fail("bytes after the last block");
    while (bitPos < totalBits) {
        if (get(1)) return fail("padding is not zero");
    }
    r.ok = true;
    return r;
}

}  // namespace kavrel::lha::test
