// The encoder on its own: code lengths, the streams it writes (read back strictly and by
// the library's decoder) over many kinds of data, methods and levels.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "lha/Crc16.h"
#include "lha/Decoder.h"
#include "lha/HuffmanTable.h"
#include "lha/encoder/BlockCoder.h"
#include "lha/encoder/Encoder.h"
#include "lha/encoder/HuffmanBuilder.h"
#include "lha/encoder/Parser.h"
#include "EncoderTestSupport.h"
#include "StrictStream.h"

namespace kavrel::lha {
namespace {

using encoder::BuildCodeLengths;
using test::StringSink;
using encoder::MakeCanonicalCodes;

// Hands out the data in small, uneven reads, as a pipe or a slow disk would.
class DribbleSource : public ByteSource {
public:
    explicit DribbleSource(const std::string& data) : data_(data) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        std::size_t n = std::min<std::size_t>({size, data_.size() - at_, 1 + (calls_++ * 7919) % 70000});
        std::memcpy(buffer, data_.data() + at_, n);
        at_ += n;
        return n;
    }

private:
    const std::string& data_;
    std::size_t at_ = 0;
    std::size_t calls_ = 0;
};

std::string EncodeString(Method method, int level, const std::string& data, EncodeStats* statsOut = nullptr) {
    DribbleSource in(data);
    StringSink out;
    EncodeStats stats;
    EXPECT_EQ(Encode(method, level, in, out, stats), EncodeStatus::Ok);
    EXPECT_EQ(stats.inputSize, data.size());
    EXPECT_EQ(stats.outputSize, out.bytes.size());
    if (statsOut) *statsOut = stats;
    return out.bytes;
}

// Encodes, then reads back strictly and with the library's decoder.
void ExpectRoundTrip(Method method, int level, const std::string& data, const std::string& what) {
    SCOPED_TRACE(what + ", " + MethodId(method) + " level " + std::to_string(level));
    EncodeStats stats;
    const std::string packed = EncodeString(method, level, data, &stats);
    EXPECT_EQ(stats.crc, Crc16(data.data(), data.size()));
    const test::StrictResult strict = test::ReadStrict(packed, WindowBits(method), data.size());
    ASSERT_TRUE(strict.ok) << strict.problem;
    EXPECT_TRUE(strict.output == data);
    MemorySource source(packed.data(), packed.size());
    StringSink back;
    ASSERT_EQ(Decode(method, source, data.size(), back), DecodeStatus::Ok);
    EXPECT_TRUE(back.bytes == data);
}

// --- code lengths ---

std::uint64_t Kraft(const std::uint8_t* lengths, int n) {
    std::uint64_t k = 0;
    for (int i = 0; i < n; ++i) {
        if (lengths[i]) k += std::uint64_t{1} << (16 - lengths[i]);
    }
    return k;
}

TEST(HuffmanBuilder, SkewedFrequenciesStayWithinTheLimitAndComplete) {
    // Fibonacci frequencies make an unlimited Huffman code as deep as there are symbols.
    std::uint32_t freq[40];
    freq[0] = freq[1] = 1;
    for (int i = 2; i < 40; ++i) freq[i] = freq[i - 1] + freq[i - 2];
    for (int limit : {16, 12, 7}) {
        std::uint8_t lengths[40];
        ASSERT_EQ(BuildCodeLengths(freq, 40, limit, lengths), 40);
        int longest = 0;
        for (int i = 0; i < 40; ++i) {
            EXPECT_GE(lengths[i], 1);
            longest = std::max<int>(longest, lengths[i]);
        }
        EXPECT_EQ(longest, limit);
        EXPECT_EQ(Kraft(lengths, 40), 1u << 16) << "limit " << limit;
        // More frequent symbols never get longer codes.
        for (int i = 1; i < 40; ++i) EXPECT_LE(lengths[i], lengths[i - 1]);
    }
}

TEST(HuffmanBuilder, UnusedSymbolsGetNoCodeAndOneSymbolGetsTheOneSymbolForm) {
    std::uint32_t freq[10] = {0, 5, 0, 0, 0, 0, 0, 0, 0, 0};
    std::uint8_t lengths[10];
    EXPECT_EQ(BuildCodeLengths(freq, 10, 16, lengths), 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(lengths[i], 0);
    freq[7] = 1;
    EXPECT_EQ(BuildCodeLengths(freq, 10, 16, lengths), 2);
    EXPECT_EQ(lengths[1], 1);
    EXPECT_EQ(lengths[7], 1);
    EXPECT_EQ(lengths[0] + lengths[2], 0);
}

TEST(HuffmanBuilder, EqualCountsGoToTheLowerSymbolFirstAndLargeCountsKeepTheirOrder) {
    // Reproducible archives need the same codes from the same counts: among equal counts
    // the lower symbols are taken first, so they get the longer codes.
    for (std::uint32_t f : {1u, 3u, 70000u, 0x7FFFFFFFu}) {
        std::uint32_t freq[3] = {f, f, f};
        std::uint8_t lengths[3];
        ASSERT_EQ(BuildCodeLengths(freq, 3, 16, lengths), 3);
        EXPECT_EQ(lengths[0], 2) << f;
        EXPECT_EQ(lengths[1], 2) << f;
        EXPECT_EQ(lengths[2], 1) << f;
    }
    // Counts past 16 bits still order by count, never by symbol.
    std::uint32_t freq[4] = {0x30000, 0x10000, 0x20000, 0x10001};
    std::uint8_t lengths[4];
    ASSERT_EQ(BuildCodeLengths(freq, 4, 16, lengths), 4);
    EXPECT_EQ(lengths[0], 1);
    EXPECT_EQ(lengths[1], 3);
    EXPECT_EQ(lengths[2], 2);
    EXPECT_EQ(lengths[3], 3);
}

TEST(HuffmanBuilder, CanonicalCodesDecodeThroughTheLibrarysTable) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        std::uint32_t freq[kNC] = {};
        for (auto& f : freq) f = rng() % 3 == 0 ? 0 : rng() % (1u << (rng() % 20));
        freq[0] = freq[1] = 1;
        std::uint8_t lengths[kNC];
        BuildCodeLengths(freq, kNC, 16, lengths);
        std::uint16_t codes[kNC];
        MakeCanonicalCodes(lengths, kNC, codes);
        HuffmanTable table(kNC, 12);
        ASSERT_TRUE(table.Build(lengths, kNC));
        for (int s = 0; s < kNC; ++s) {
            if (!lengths[s]) continue;
            // The code left-aligned in a stream of its own, then decoded.
            std::uint8_t bytes[16] = {};
            const std::uint32_t aligned = static_cast<std::uint32_t>(codes[s]) << (32 - lengths[s]);
            bytes[0] = static_cast<std::uint8_t>(aligned >> 24);
            bytes[1] = static_cast<std::uint8_t>(aligned >> 16);
            bytes[2] = static_cast<std::uint8_t>(aligned >> 8);
            MemorySource src(bytes, sizeof bytes);
            BitReader reader(src);
            reader.Refill();
            const int before = reader.Available();
            ASSERT_EQ(table.Decode(reader), static_cast<std::uint32_t>(s));
            EXPECT_EQ(before - reader.Available(), lengths[s]);
        }
    }
}

// --- streams ---

std::string Text(std::size_t size, std::uint32_t seed) {
    static const char* words[] = {"update", "medium", "floppy", "archive", "the", "of", "installation",
                                  "Morvane", "folder", "and", "version", "\n", ", ", "system"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        s += words[rng() % 14];
        s += ' ';
    }
    s.resize(size);
    return s;
}
std::string Random(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}
// Small kin of the benchmark's kinds (bench/lha/gen-mix.py): log lines, binary records
// with stretches of noise, mostly zeros, and pages of which one in four is random.
std::string Log(std::size_t size, std::uint32_t seed) {
    static const char* levels[] = {"INFO", "INFO", "DEBUG", "WARN", "ERROR"};
    std::mt19937 rng(seed);
    std::string s;
    for (unsigned t = 0; s.size() < size; t += rng() % 250) {
        s += "2026-01-02 03:" + std::to_string(t / 60000 % 60) + ":" + std::to_string(t / 1000 % 60) + "." +
             std::to_string(t % 1000) + " " + levels[rng() % 5] + " [app" + std::to_string(rng() % 24) +
             "] request " + std::to_string(rng()) + " took " + std::to_string(rng() % 5000) + " ms\n";
    }
    s.resize(size);
    return s;
}
std::string Records(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        const unsigned kind = rng() % 4;
        const std::string noise = Random(8 + rng() % 32, rng());
        for (unsigned i = 0; i < 4 + rng() % 12; ++i) s += static_cast<char>(kind < 2 ? rng() % 300 - 150 : rng() % 64);
        s += kind == 3 ? noise : Text(3 + rng() % 9, rng() % 500);
    }
    s.resize(size);
    return s;
}
std::string Sparse(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    const std::string pattern = Random(64, seed);
    std::string s(size, '\0');
    for (std::size_t at = rng() % 27; at + 64 < size; at += 64 + rng() % 27) {
        const std::string chunk = rng() % 8 < 5 ? Random(1 + rng() % 16, rng()) : pattern.substr(0, 16 + rng() % 48);
        s.replace(at, chunk.size(), chunk);
    }
    return s;
}
std::string Pages(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) s += rng() % 4 == 0 ? Random(4096, rng()) : std::string(4096, '\0');
    s.resize(size);
    return s;
}

TEST(Encoder, EveryMethodAndLevelRoundTripsVariedData) {
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"one byte", "x"},
        {"two bytes", "ab"},
        {"a run", std::string(100000, 'z')},
        {"a short period", [] {
             std::string s;
             for (int i = 0; i < 30000; ++i) s += "abc";
             return s;
         }()},
        {"text", Text(300000, 1)},
        {"random", Random(70000, 2)},
        {"random then text", Random(40000, 3) + Text(40000, 4)},
        {"repeats at the window's distance", [] {
             const std::string block = Random(65536, 5);
             return block + block + block.substr(0, 9000);
         }()},
    };
    for (Method m : {Method::Lh5, Method::Lh6, Method::Lh7}) {
        for (int level : {1, 3, 0, 8, 9}) {
            for (const auto& [what, data] : inputs) ExpectRoundTrip(m, level, data, what);
        }
    }
}

TEST(BlockCoder, CodesAtTheLengthLimitAreWrittenSoEveryReaderTakesThem) {
    // Literal i appears fib(i) times: an unlimited code would be 21 bits deep. Limited to
    // 16, the pre-tree needs all 19 of its symbols (length 16 is pre-tree symbol 18).
    std::vector<encoder::Symbol> symbols;
    std::string expected;
    encoder::Histogram h;
    std::uint32_t a = 1;
    std::uint32_t b = 1;
    for (int i = 0; i < 22; ++i) {
        for (std::uint32_t k = 0; k < a; ++k) symbols.push_back(encoder::Literal(static_cast<std::uint8_t>(i * 11)));
        const std::uint32_t c = a + b;
        a = b;
        b = c;
    }
    std::shuffle(symbols.begin(), symbols.end(), std::mt19937(3));
    for (const auto& s : symbols) {
        expected += static_cast<char>(s.code);
        h.Add(s);
    }
    ASSERT_LE(symbols.size(), 65535u);
    const encoder::BlockCoder coder(kMaxEncodedNP);
    encoder::BitWriter bits;
    coder.Write(symbols.data(), symbols.size(), h, bits);
    bits.AlignToByte();
    const std::string packed(bits.Bytes().begin(), bits.Bytes().end());
    const test::StrictResult strict = test::ReadStrict(packed, 16, expected.size());
    ASSERT_TRUE(strict.ok) << strict.problem;
    EXPECT_EQ(strict.longestCode, 16);
    EXPECT_EQ(strict.largestPreTree, 19);
    EXPECT_TRUE(strict.output == expected);
    // The plan's count of bits is the block's real size.
    encoder::BlockPlan plan;
    coder.Plan(h, plan);
    EXPECT_EQ((plan.bits + 7) / 8, packed.size());
}

TEST(Encoder, InputLargerThanItsBufferIsSplitIntoManyBlocks) {
    // Several MiB in uneven reads: the buffer moves, positions shift, blocks stay under
    // the 16-bit symbol count.
    const std::string data = Text(5u << 19, 11) + Random(100000, 12) + std::string(100000, '\0');
    for (int level : {0, 9}) {
        const std::string packed = EncodeString(Method::Lh7, level, data);
        const test::StrictResult strict = test::ReadStrict(packed, 16, data.size());
        ASSERT_TRUE(strict.ok) << strict.problem;
        EXPECT_GT(strict.blocks, 5);
        EXPECT_TRUE(strict.output == data);
        EXPECT_LT(packed.size(), data.size() / 2);
    }
}

TEST(Encoder, HigherLevelsCompressAtLeastAsWell) {
    const std::string data = Text(400000, 21) + Random(20000, 22) + Text(100000, 23);
    const std::size_t fast = EncodeString(Method::Lh7, 1, data).size();
    const std::size_t normal = EncodeString(Method::Lh7, 0, data).size();
    const std::size_t best = EncodeString(Method::Lh7, 9, data).size();
    EXPECT_LE(normal, fast);
    EXPECT_LT(best, normal);
}

// The maximum level parses each chunk as the default level does too and keeps the
// cheaper: on no data does it write more (the pages once made it 1 % larger).
TEST(Encoder, MaximumLevelNeverWritesMoreThanTheDefault) {
    const std::pair<const char*, std::string> kinds[] = {
        {"text", Text(600000, 51)},      {"log", Log(600000, 52)},       {"records", Records(600000, 53)},
        {"sparse", Sparse(600000, 54)},  {"random", Random(300000, 55)}, {"pages", Pages(2500000, 56)},
    };
    for (const auto& [kind, data] : kinds) {
        EXPECT_LE(EncodeString(Method::Lh7, 9, data).size(), EncodeString(Method::Lh7, 0, data).size()) << kind;
    }
}

TEST(Encoder, StoringCopiesTheBytes) {
    const std::string data = Random(100000, 31);
    EncodeStats stats;
    const std::string packed = EncodeString(Method::Stored, 0, data, &stats);
    EXPECT_TRUE(packed == data);
    EXPECT_EQ(stats.crc, Crc16(data.data(), data.size()));
}

TEST(Encoder, EmptyInputWritesNothing) {
    for (Method m : {Method::Stored, Method::Lh5, Method::Lh7}) {
        EncodeStats stats;
        EXPECT_TRUE(EncodeString(m, 0, "", &stats).empty());
        EXPECT_EQ(stats.crc, 0);
    }
}

TEST(Encoder, StopsWhenTheSinkRefuses) {
    const std::string data = Text(2u << 20, 41);
    for (int level : {0, 9}) {
        MemorySource in(data.data(), data.size());
        StringSink out;
        out.failAfter = 1000;
        EncodeStats stats;
        EXPECT_EQ(Encode(Method::Lh7, level, in, out, stats), EncodeStatus::OutputFailed);
        EXPECT_LE(out.bytes.size(), 1000u);
    }
}

// Random inputs of random make-up, method and level: whatever the encoder writes, the
// strict reader and the library's decoder give the input back.
TEST(Encoder, RoundTripOverRandomInputs) {
    std::mt19937 rng(20260101);
    for (int round = 0; round < 60; ++round) {
        std::string data;
        const int pieces = 1 + static_cast<int>(rng() % 6);
        for (int p = 0; p < pieces; ++p) {
            const std::size_t n = rng() % (rng() % 4 == 0 ? 70000 : 3000);
            switch (rng() % 5) {
            case 0: data += Random(n, rng()); break;
            case 1: data += Text(n, rng()); break;
            case 2: data += std::string(n, static_cast<char>(rng())); break;
            case 3:
                if (!data.empty()) {
                    // A copy of earlier bytes, near or far.
                    const std::size_t from = rng() % data.size();
                    data += data.substr(from, n);
                }
                break;
            default: {
                const std::string alphabet = Random(1 + rng() % 4, rng());
                for (std::size_t i = 0; i < n; ++i) data += alphabet[rng() % alphabet.size()];
            }
            }
        }
        const Method m = kEncodedMethods[1 + rng() % 3];
        const int level = static_cast<int>(rng() % 10);
        ExpectRoundTrip(m, level, data, "round " + std::to_string(round));
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace kavrel::lha
