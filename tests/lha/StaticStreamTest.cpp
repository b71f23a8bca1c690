// The static-Huffman decoder (-lh4- to -lh7-, -lhx-) on streams written here from known
// literals and matches, with random complete codes of every length up to 16 bits: many
// blocks (down to one symbol), distances up to the whole window and into the blanks
// before the first byte, output far past one run of the window, input that arrives a few
// bytes at a time, and declared sizes that end inside a match.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "lha/Decoder.h"
#include "lha/Stream.h"
#include "StringSink.h"

namespace kavrel::lha {
namespace {

using test::StringSink;

class BitWriter {
public:
    void Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ == 0) bytes_ += '\0';
            if ((value >> i) & 1) bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> used_));
            used_ = (used_ + 1) & 7;
        }
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    int used_ = 0;
};

// Canonical codes as LHA assigns them: shorter codes first, then by symbol.
struct Code {
    std::vector<int> length;
    std::vector<std::uint32_t> bits;

    explicit Code(std::vector<int> lengths) : length(std::move(lengths)), bits(length.size()) {
        std::uint32_t next = 0;
        for (int len = 1; len <= 16; ++len) {
            for (std::size_t s = 0; s < length.size(); ++s) {
                if (length[s] == len) bits[s] = next++;
            }
            next <<= 1;
        }
    }
    void Put(BitWriter& w, std::size_t symbol) const { w.Put(bits[symbol], length[symbol]); }
};

// Lengths of a complete prefix code over `used` of `symbols` symbols (the rest unused),
// no longer than maxLength: leaves split at random, then dealt out at random.
std::vector<int> RandomLengths(std::mt19937& rng, int symbols, int used, int maxLength) {
    std::vector<int> leaves{0};
    while (static_cast<int>(leaves.size()) < used) {
        const std::size_t i = rng() % leaves.size();
        if (leaves[i] >= maxLength) continue;
        ++leaves[i];
        leaves.push_back(leaves[i]);
    }
    leaves.resize(static_cast<std::size_t>(symbols), 0);
    std::shuffle(leaves.begin(), leaves.end(), rng);
    return leaves;
}

// Pre-tree and position-code lengths: 3 bits, 7 and up as 111 then ones and a zero.
void PutSmallLength(BitWriter& w, int len) {
    if (len < 7) {
        w.Put(static_cast<std::uint32_t>(len), 3);
        return;
    }
    w.Put(7, 3);
    for (int i = 7; i < len; ++i) w.Put(1, 1);
    w.Put(0, 1);
}

struct Op {
    int literal;  // -1 for a match
    int length;
    std::size_t distance;
};

struct Variant {
    Method method;
    int np;     // position symbols
    int pbits;  // width of their count
};

void PutBlock(BitWriter& w, std::mt19937& rng, const Variant& m, const std::vector<Op>& ops) {
    w.Put(static_cast<std::uint32_t>(ops.size()), 16);
    // Literal/length code: every symbol the block uses, some unused ones in runs.
    std::vector<int> used(kNC, 0);
    for (const Op& op : ops) used[op.literal >= 0 ? static_cast<std::size_t>(op.literal) : static_cast<std::size_t>(op.length + kMatchOffset)] = 1;
    for (int s = 0; s < kNC; ++s) used[static_cast<std::size_t>(s)] |= rng() % 3 == 0;
    std::vector<int> usedSymbols;
    for (int s = 0; s < kNC; ++s) if (used[static_cast<std::size_t>(s)]) usedSymbols.push_back(s);
    if (usedSymbols.size() < 2) usedSymbols.push_back(usedSymbols[0] == 0 ? 1 : 0);
    std::vector<int> cLen(kNC, 0);
    const std::vector<int> dealt = RandomLengths(rng, static_cast<int>(usedSymbols.size()), static_cast<int>(usedSymbols.size()), 16);
    for (std::size_t i = 0; i < usedSymbols.size(); ++i) cLen[static_cast<std::size_t>(usedSymbols[i])] = dealt[i];
    const Code c(cLen);

    // The pre-tree codes the lengths: 0 one zero, 1 3..18 zeros, 2 20..531 zeros, n length n-2.
    const Code t(RandomLengths(rng, 19, 19, 7));
    w.Put(19, 5);
    for (int i = 0; i < 19; ++i) {
        PutSmallLength(w, t.length[static_cast<std::size_t>(i)]);
        if (i == 2) w.Put(0, 2);  // no zero run after the third length
    }
    w.Put(kNC, 9);
    for (std::size_t s = 0; s < kNC;) {
        std::size_t run = 0;
        while (s + run < kNC && cLen[s + run] == 0) ++run;
        if (run >= 20) {
            run = std::min<std::size_t>(run, 531);
            t.Put(w, 2);
            w.Put(static_cast<std::uint32_t>(run - 20), 9);
            s += run;
        } else if (run >= 3 && run <= 18) {
            t.Put(w, 1);
            w.Put(static_cast<std::uint32_t>(run - 3), 4);
            s += run;
        } else if (run > 0) {
            t.Put(w, 0);
            ++s;
        } else {
            t.Put(w, static_cast<std::size_t>(cLen[s] + 2));
            ++s;
        }
    }
    const Code p(RandomLengths(rng, m.np, m.np, 16));
    w.Put(static_cast<std::uint32_t>(m.np), m.pbits);
    for (int i = 0; i < m.np; ++i) PutSmallLength(w, p.length[static_cast<std::size_t>(i)]);

    for (const Op& op : ops) {
        if (op.literal >= 0) {
            c.Put(w, static_cast<std::size_t>(op.literal));
            continue;
        }
        c.Put(w, static_cast<std::size_t>(op.length + kMatchOffset));
        const std::size_t d = op.distance - 1;
        int bits = 0;
        while ((d >> bits) != 0) ++bits;
        p.Put(w, static_cast<std::size_t>(bits));
        if (bits > 1) w.Put(static_cast<std::uint32_t>(d - (std::size_t{1} << (bits - 1))), bits - 1);
    }
}

// Random literals and matches in blocks of random sizes, and the bytes they stand for.
struct Stream {
    std::string packed;
    std::string expected;
};

Stream MakeStream(const Variant& m, std::uint32_t seed, std::size_t outputSize) {
    std::mt19937 rng(seed);
    const std::size_t window = std::size_t{1} << (m.np - 1);
    std::string all(window, ' ');  // the blanks LHA's dictionary starts with, then the output
    BitWriter w;
    while (all.size() - window < outputSize) {
        // Mostly small blocks so that block ends fall everywhere; now and then a big one.
        const std::size_t count = rng() % 8 == 0 ? 1 + rng() % 3 : rng() % 8 == 0 ? 8000 : 1 + rng() % 600;
        std::vector<Op> ops;
        for (std::size_t i = 0; i < count; ++i) {
            if (rng() % 5 < 2) {
                // Short text-like literals, and sometimes any byte.
                const int literal = rng() % 4 ? 'a' + static_cast<int>(rng() % 8) : static_cast<int>(rng() % 256);
                ops.push_back({literal, 1, 0});
                all += static_cast<char>(literal);
                continue;
            }
            const int length = rng() % 8 ? 3 + static_cast<int>(rng() % 14) : 3 + static_cast<int>(rng() % 254);
            std::size_t distance;
            switch (rng() % 4) {
            case 0: distance = 1 + rng() % 20; break;  // overlapping copies
            case 1: distance = window - rng() % 4; break;  // the whole window
            default: distance = 1 + rng() % window; break;
            }
            ops.push_back({-1, length, distance});
            for (int k = 0; k < length; ++k) all += all[all.size() - distance];
        }
        PutBlock(w, rng, m, ops);
    }
    return {w.Bytes(), all.substr(window)};
}

// A source that hands out its bytes a few at a time.
class TrickleSource : public ByteSource {
public:
    TrickleSource(const std::string& data, std::size_t most) : data_(data), most_(most) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, data_.size() - at_, 1 + (at_ * 7919) % most_});
        std::copy_n(data_.data() + at_, n, buffer);
        at_ += n;
        return n;
    }

private:
    const std::string& data_;
    std::size_t most_;
    std::size_t at_ = 0;
};

const Variant kVariants[] = {{Method::Lh4, 14, 4}, {Method::Lh5, 14, 4}, {Method::Lh6, 16, 5},
                           {Method::Lh7, 17, 5}, {Method::Lhx, 20, 5}};

TEST(StaticStream, DecodesWrittenStreamsOfEveryWindow) {
    std::uint32_t seed = 1;
    for (const Variant& m : kVariants) {
        for (int round = 0; round < 3; ++round) {
            const Stream s = MakeStream(m, seed++, 700000);
            MemorySource source(s.packed.data(), s.packed.size());
            StringSink sink;
            ASSERT_EQ(Decode(m.method, source, s.expected.size(), sink), DecodeStatus::Ok) << m.np << " " << seed;
            ASSERT_EQ(sink.text.size(), s.expected.size());
            // Where the first difference is, if any, says more than a failed compare.
            const auto diff = std::mismatch(sink.text.begin(), sink.text.end(), s.expected.begin());
            EXPECT_EQ(diff.first - sink.text.begin(), static_cast<std::ptrdiff_t>(s.expected.size())) << m.np;
        }
    }
}

TEST(StaticStream, InputArrivingAFewBytesAtATime) {
    for (const Variant& m : kVariants) {
        const Stream s = MakeStream(m, 100 + static_cast<std::uint32_t>(m.np), 300000);
        for (std::size_t most : {1u, 3u, 17u, 4099u}) {
            TrickleSource source(s.packed, most);
            StringSink sink;
            ASSERT_EQ(Decode(m.method, source, s.expected.size(), sink), DecodeStatus::Ok) << m.np << " " << most;
            EXPECT_TRUE(sink.text == s.expected) << m.np << " " << most;
        }
    }
}

TEST(StaticStream, StopsExactlyAtTheDeclaredSize) {
    for (const Variant& m : kVariants) {
        const Stream s = MakeStream(m, 200 + static_cast<std::uint32_t>(m.np), 400000);
        // Sizes inside matches and literals, just before and after a run of the window
        // (256 KiB), and near the start.
        for (std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{255}, std::size_t{257},
                                 std::size_t{262143}, std::size_t{262144}, std::size_t{262145},
                                 s.expected.size() - 1, s.expected.size() - 200}) {
            MemorySource source(s.packed.data(), s.packed.size());
            StringSink sink;
            ASSERT_EQ(Decode(m.method, source, size, sink), DecodeStatus::Ok) << m.np << " " << size;
            EXPECT_TRUE(sink.text == s.expected.substr(0, size)) << m.np << " " << size;
        }
    }
}

TEST(StaticStream, CutStreamsAreCorruptNeverShort) {
    for (const Variant& m : kVariants) {
        const Stream s = MakeStream(m, 300 + static_cast<std::uint32_t>(m.np), 200000);
        for (std::size_t keep : {s.packed.size() / 3, s.packed.size() / 2, s.packed.size() - 40}) {
            const std::string cut = s.packed.substr(0, keep);
            MemorySource source(cut.data(), cut.size());
            StringSink sink;
            EXPECT_EQ(Decode(m.method, source, s.expected.size(), sink), DecodeStatus::Corrupt) << m.np << " " << keep;
            EXPECT_LT(sink.text.size(), s.expected.size());
        }
    }
}

}  // namespace
}  // namespace kavrel::lha
