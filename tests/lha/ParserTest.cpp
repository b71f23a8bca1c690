// The parsers and the block splitter on their own: which literals and matches the parsers
// choose (read back by replaying them), where the splitter cuts blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lha/encoder/BlockSplitter.h"
#include "lha/encoder/Parser.h"
#include "EncoderTestSupport.h"
#include "StrictStream.h"

namespace kavrel::lha::encoder {
namespace {

std::string Replay(const std::vector<Symbol>& symbols) {
    std::string out;
    for (const Symbol& s : symbols) {
        if (s.code < 256) {
            out += static_cast<char>(s.code);
            continue;
        }
        const std::size_t from = out.size() - s.distanceMinus1 - 1u;
        for (int i = 0; i < s.code - kMatchOffset; ++i) out += out[from + static_cast<std::size_t>(i)];
    }
    return out;
}

// Parses all of `data` in one call at `level`, as the stream encoder does with a chunk.
std::vector<Symbol> ParseAll(const std::string& data, int level) {
    std::vector<std::uint8_t> buffer(data.begin(), data.end());
    buffer.resize(data.size() + 16, 0);  // match finders read a little past the data
    const LevelSettings settings = SettingsForLevel(level);
    const BlockCoder coder(kMaxEncodedNP);
    auto parser = settings.optimal ? MakeOptimalParser(16, coder, settings) : MakeLazyParser(16, settings);
    std::vector<Symbol> symbols;
    const std::size_t stop = parser->Parse(buffer.data(), 0, data.size(), data.size(), symbols);
    EXPECT_EQ(stop, data.size());
    EXPECT_EQ(Replay(symbols), data);
    return symbols;
}

// The symbol that starts at byte `at` of the parsed data.
Symbol SymbolAt(const std::vector<Symbol>& symbols, std::size_t at) {
    std::size_t pos = 0;
    for (const Symbol& s : symbols) {
        if (pos == at) return s;
        pos += s.code < 256 ? 1u : s.code - unsigned{kMatchOffset};
        if (pos > at) break;
    }
    ADD_FAILURE() << "no symbol starts at " << at;
    return Symbol{0, 0};
}

const std::string kLong = "BCDEFGHIJKLMNOPQRSTUVW";  // 22 bytes

TEST(LazyParser, WaitsOneByteForAMuchLongerMatch) {
    // At 'A' a near 4-byte match ("ABCD"); one byte on, all of kLong, further back.
    const std::string head = test::RandomBytes(300, 1) + kLong + test::RandomBytes(300, 2) + "ABCDxy";
    const std::string data = head + "A" + kLong + test::RandomBytes(40, 3);
    for (int level : {2, 0, 8}) {
        SCOPED_TRACE(level);
        const std::vector<Symbol> symbols = ParseAll(data, level);
        EXPECT_EQ(SymbolAt(symbols, head.size()).code, 'A');
        const Symbol later = SymbolAt(symbols, head.size() + 1);
        EXPECT_EQ(later.code, kMatchOffset + kLong.size());
        EXPECT_EQ(later.distanceMinus1 + 1u, head.size() + 1 - 300u);
    }
}

TEST(LazyParser, WaitsTwoBytesWhenTheNextPositionIsNoBetter) {
    // "AB?": at 'A' and at 'B' only 3-byte matches; two bytes on, all of kLong.
    const std::string head = "ABCxyBCZ" + test::RandomBytes(300, 4) + kLong.substr(1) + test::RandomBytes(300, 5);
    const std::string data = head + "ABC" + kLong.substr(2) + test::RandomBytes(40, 6);
    const std::vector<Symbol> symbols = ParseAll(data, 0);
    EXPECT_EQ(SymbolAt(symbols, head.size()).code, 'A');
    EXPECT_EQ(SymbolAt(symbols, head.size() + 1).code, 'B');
    EXPECT_EQ(SymbolAt(symbols, head.size() + 2).code, kMatchOffset + kLong.size() - 1);
}

TEST(LazyParser, TakesTheMatchInHandWhenWaitingGainsNothing) {
    // The whole string matches at once; one byte on, the same match less a byte.
    const std::string head = "A" + kLong + test::RandomBytes(300, 7);
    const std::string data = head + "A" + kLong + test::RandomBytes(40, 8);
    for (int level : {2, 0, 8}) {
        SCOPED_TRACE(level);
        const std::vector<Symbol> symbols = ParseAll(data, level);
        const Symbol s = SymbolAt(symbols, head.size());
        EXPECT_EQ(s.code, kMatchOffset + kLong.size() + 1);
        EXPECT_EQ(s.distanceMinus1 + 1u, head.size());
    }
}

TEST(LazyParser, RepeatsAfterIncompressibleDataAreFoundSoon) {
    // Long random stretches make the parser look at fewer positions; a run or a repeat
    // that follows must still be matched within a few bytes.
    const std::string noise = test::RandomBytes(60000, 13);
    const std::string data = test::RandomBytes(60000, 12) + std::string(5000, '\0') + noise + noise.substr(20000, 5000);
    for (int level : {1, 0, 8}) {
        SCOPED_TRACE(level);
        const std::vector<Symbol> symbols = ParseAll(data, level);
        std::size_t pos = 0;
        std::size_t literalsInRepeats = 0;
        for (const Symbol& s : symbols) {
            const bool inRepeat = (pos >= 60000 && pos < 65000) || pos >= 125000;
            if (s.code < 256 && inRepeat) ++literalsInRepeats;
            pos += s.code < 256 ? 1u : s.code - unsigned{kMatchOffset};
        }
        EXPECT_LE(literalsInRepeats, 20u);
    }
}

TEST(LazyParser, ReplaysToItsInputAtEveryLevel) {
    const std::string data = test::TextBytes(200000, 9) + test::RandomBytes(5000, 10) + std::string(3000, 'z') +
                             test::TextBytes(50000, 11);
    for (int level = 1; level <= 8; ++level) {
        SCOPED_TRACE(level);
        ParseAll(data, level);
    }
}

TEST(OptimalParser, CodesRunsOfOneByteAtDistanceOne) {
    // Zeros after random bytes: only their first may match far back; all others are the
    // run at distance 1, the cheapest, though the tree leaves out the run's positions.
    std::string data;
    for (std::uint32_t i = 0; i < 6; ++i) data += test::RandomBytes(4096, i) + std::string(12288, '\0');
    const std::vector<Symbol> symbols = ParseAll(data, 9);
    EXPECT_LE(std::count_if(symbols.begin(), symbols.end(),
                            [](const Symbol& s) { return s.code >= 256 && s.distanceMinus1 != 0; }),
              6);
}

// Literals only (no history needed): a long stretch of two letters, then all 256 byte
// values, then two letters again; `count` symbols in all.
std::vector<Symbol> ChangingLiterals(std::size_t count) {
    std::vector<Symbol> symbols;
    std::uint32_t x = 1;
    for (std::size_t i = 0; i < count; ++i) {
        x = x * 1103515245u + 12345u;
        const bool varied = i >= count / 3 && i < count / 2;
        symbols.push_back(Literal(static_cast<std::uint8_t>(varied ? x >> 24 : 'a' + (x >> 31))));
    }
    return symbols;
}

std::string Bytes(const std::vector<Symbol>& symbols) {
    std::string out;
    for (const Symbol& s : symbols) out += static_cast<char>(s.code);
    return out;
}

TEST(BlockSplitter, SplitsWhereTheStatisticsChangeAndKeepsBlocksUnderTheCount) {
    for (std::size_t count : {std::size_t{60000}, std::size_t{300000}}) {
        SCOPED_TRACE(count);
        std::vector<Symbol> symbols = ChangingLiterals(count);
        const std::string expected = Bytes(symbols);
        Histogram whole;
        for (const Symbol& s : symbols) whole.Add(s);
        const BlockCoder coder(kMaxEncodedNP);
        BlockSplitter splitter(coder);
        BitWriter bits;
        splitter.Write(symbols, bits);
        EXPECT_EQ(bits.BitCount(), splitter.Cost(symbols));
        bits.AlignToByte();
        const std::string packed(bits.Bytes().begin(), bits.Bytes().end());
        const test::StrictResult strict = test::ReadStrict(packed, 16, expected.size());
        ASSERT_TRUE(strict.ok) << strict.problem;
        EXPECT_TRUE(strict.output == expected);
        // Two letters cost about a bit each, the varied stretch about eight: separate
        // codes for them beat one code for all.
        EXPECT_GE(strict.blocks, 3);
        if (count <= BlockSplitter::kGroup) {
            EXPECT_LT(packed.size() * 8, coder.Cost(whole));
        }
    }
}

}  // namespace
}  // namespace kavrel::lha::encoder
