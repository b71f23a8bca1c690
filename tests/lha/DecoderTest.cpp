// CRC, Huffman tables, the decoders on bare streams, and the headers of each level.
#include <gtest/gtest.h>

#include <vector>

#include "lha/BitReader.h"
#include "lha/Crc16.h"
#include "lha/Decoder.h"
#include "lha/Header.h"
#include "lha/HuffmanTable.h"
#include "lha/Stream.h"
#include "LhaTestSupport.h"
#include "StringSink.h"

namespace kavrel::lha {
namespace {

using test::CorpusDir;
using test::ReadWhole;
using test::StringSink;

// Decodes through a reader's buffer and in place (from a block of exactly the stream's
// size, so that the sanitizers see any read past it); both must agree.
DecodeStatus DecodeString(Method m, const std::string& packed, std::uint64_t size, std::string& out) {
    MemorySource source(packed.data(), packed.size());
    StringSink sink;
    const DecodeStatus st = Decode(m, source, size, sink);
    out = sink.text;
    const std::vector<std::uint8_t> exact(packed.begin(), packed.end());
    MemorySource inPlace(exact.data(), exact.size(), true);
    StringSink viewed;
    EXPECT_EQ(Decode(m, inPlace, size, viewed), st);
    EXPECT_TRUE(viewed.text == out);
    return st;
}

TEST(Crc16, MatchesTheArcCheckValue) {
    EXPECT_EQ(Crc16("123456789", 9), 0xBB3D);
    EXPECT_EQ(Crc16("", 0), 0);
    // the sliced loop and the byte loop agree on every split
    std::string data;
    for (int i = 0; i < 1000; ++i) data += static_cast<char>(i * 7 + (i >> 3));
    const std::uint16_t whole = Crc16(data.data(), data.size());
    for (std::size_t cut = 0; cut < 20; ++cut) {
        EXPECT_EQ(UpdateCrc16(Crc16(data.data(), cut), data.data() + cut, data.size() - cut), whole);
    }
}

TEST(Crc16, EveryPathAgreesWithTheTables) {
    // Sizes around the 16- and 64-byte steps of the folding path, at every alignment,
    // from a nonzero CRC as when an entry arrives in pieces; and one long run.
    std::string data(70000, '\0');
    std::uint32_t x = 12345;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 23);
    }
    for (std::size_t size = 0; size < 300; ++size) {
        for (std::size_t at = 0; at < 16; at += 5) {
            const std::uint16_t from = static_cast<std::uint16_t>(size * 2654435761u >> 7);
            ASSERT_EQ(UpdateCrc16(from, data.data() + at, size), UpdateCrc16Sliced(from, data.data() + at, size))
                << size << " at " << at;
        }
    }
    EXPECT_EQ(UpdateCrc16(0x1234, data.data() + 3, data.size() - 3), UpdateCrc16Sliced(0x1234, data.data() + 3, data.size() - 3));
    EXPECT_EQ(UpdateCrc16(0, std::string(4096, '\xFF').data(), 4096), UpdateCrc16Sliced(0, std::string(4096, '\xFF').data(), 4096));
}

TEST(HuffmanTable, DecodesCanonicalCodesOfEveryLength) {
    // lengths 1,2,3,...: a complete code 0, 10, 110, ... with two codes of the longest length
    std::uint8_t lengths[17];
    for (int i = 0; i < 16; ++i) lengths[i] = static_cast<std::uint8_t>(i + 1);
    lengths[16] = 16;
    HuffmanTable table(17, 8);
    ASSERT_TRUE(table.Build(lengths, 17));
    // Emit symbol s as s ones and a zero (the last two are 15 ones + 0 / 16 ones).
    std::string bits;
    for (int s = 0; s < 17; ++s) bits += s < 16 ? std::string(static_cast<std::size_t>(s), '1') + "0" : std::string(16, '1');
    std::string bytes((bits.size() + 7) / 8 + 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i] == '1') bytes[i / 8] = static_cast<char>(bytes[i / 8] | (0x80 >> (i % 8)));
    }
    MemorySource src(bytes.data(), bytes.size());
    BitReader reader(src);
    for (std::uint32_t s = 0; s < 17; ++s) {
        reader.Refill();
        EXPECT_EQ(table.Decode(reader), s);
    }
}

// Bits given as text ("0110 1..."), blanks ignored, padded with zeros.
std::string Packed(const std::string& bits) {
    std::string bytes(16, '\0');
    std::size_t i = 0;
    for (char b : bits) {
        if (b == ' ') continue;
        if (b == '1') bytes[i / 8] = static_cast<char>(bytes[i / 8] | (0x80 >> (i % 8)));
        ++i;
    }
    return bytes;
}

TEST(HuffmanTable, HolesOfIncompleteCodesDecodeAsInvalidAtBothLevels) {
    // 0 -> 0; 1000000000000 -> 2; 1000000000001 -> 3; every other code starting with 1 is a
    // hole, in the primary table (11...) and in the second-level one (10000000001...).
    const std::uint8_t lengths[4] = {1, 0, 13, 13};
    HuffmanTable table(4, 8);
    ASSERT_TRUE(table.Build(lengths, 4));
    const struct {
        const char* bits;
        std::uint32_t symbol;
    } cases[] = {{"0", 0}, {"10000000 00000", 2}, {"10000000 00001", 3}, {"10000000 001", HuffmanTable::kInvalid},
                 {"10000000 1", HuffmanTable::kInvalid}, {"11", HuffmanTable::kInvalid},
                 {"10000001", HuffmanTable::kInvalid}};
    for (const auto& c : cases) {
        const std::string bytes = Packed(c.bits);
        MemorySource src(bytes.data(), bytes.size());
        BitReader reader(src);
        reader.Refill();
        EXPECT_EQ(table.Decode(reader), c.symbol) << c.bits;
    }
    // The same table object rebuilt for a complete code leaves no stale link behind.
    const std::uint8_t complete[4] = {1, 2, 3, 3};
    ASSERT_TRUE(table.Build(complete, 4));
    const std::string bytes = Packed("10000000 00000");
    MemorySource src(bytes.data(), bytes.size());
    BitReader reader(src);
    reader.Refill();
    EXPECT_EQ(table.Decode(reader), 1u);
}

TEST(HuffmanTable, RefusesOverSubscribedAndOverlongCodes) {
    HuffmanTable table(4, 8);
    const std::uint8_t tooMany[4] = {1, 1, 1, 0};
    EXPECT_FALSE(table.Build(tooMany, 4));
    const std::uint8_t tooLong[4] = {17, 1, 0, 0};
    EXPECT_FALSE(table.Build(tooLong, 4));
    const std::uint8_t incomplete[4] = {2, 2, 0, 0};
    EXPECT_TRUE(table.Build(incomplete, 4));
}

// The bare streams of the corpus all hold the GPL 2 text (18092 bytes, CRC a33a).
TEST(Decoders, DecodeTheBareStreamsOfTheCorpus) {
    SKIP_WITHOUT_CORPUS();
    const struct {
        const char* file;
        Method method;
    } streams[] = {{"lh0.bin", Method::Stored}, {"lh1.bin", Method::Lh1}, {"lh5.bin", Method::Lh5},
                   {"lh6.bin", Method::Lh6},    {"lh7.bin", Method::Lh7}, {"lzs.bin", Method::Lzs},
                   {"lz5.bin", Method::Lz5}};
    for (const auto& s : streams) {
        const std::string packed = ReadWhole(CorpusDir() + "/raw-streams/" + s.file);
        ASSERT_FALSE(packed.empty()) << s.file;
        std::string out;
        EXPECT_EQ(DecodeString(s.method, packed, 18092, out), DecodeStatus::Ok) << s.file;
        EXPECT_EQ(out.size(), 18092u) << s.file;
        EXPECT_EQ(Crc16(out.data(), out.size()), 0xA33A) << s.file;
    }
}

TEST(Decoders, TruncatedStreamsEndWithAnErrorNotAHang) {
    SKIP_WITHOUT_CORPUS();
    for (const char* f : {"lh1.bin", "lh5.bin", "lh6.bin", "lh7.bin", "lzs.bin", "lz5.bin", "lh0.bin"}) {
        const std::string packed = ReadWhole(CorpusDir() + "/raw-streams/" + f);
        const Method m = std::string(f) == "lh1.bin"   ? Method::Lh1
                         : std::string(f) == "lzs.bin" ? Method::Lzs
                         : std::string(f) == "lz5.bin" ? Method::Lz5
                         : std::string(f) == "lh0.bin" ? Method::Stored
                         : std::string(f) == "lh5.bin" ? Method::Lh5
                         : std::string(f) == "lh6.bin" ? Method::Lh6
                                                       : Method::Lh7;
        std::string out;
        EXPECT_EQ(DecodeString(m, packed.substr(0, packed.size() / 2), 18092, out), DecodeStatus::Corrupt) << f;
        EXPECT_LT(out.size(), 18092u) << f;
    }
}

// Read in place, the bytes come out the same as through the buffer, also across the
// view's end, and what has been read is released as the reading goes on (a mapped
// archive then keeps few of its pages in memory).
TEST(BitReader, ReadsAViewInPlaceAndReleasesWhatItRead) {
    class Releasing : public MemorySource {
    public:
        using MemorySource::MemorySource;
        void Release(const std::uint8_t* upTo) override {
            EXPECT_GE(upTo, released);
            released = upTo;
        }
        const std::uint8_t* released = nullptr;
    };
    std::vector<std::uint8_t> bytes(3u << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 11);
    for (const std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{9}, bytes.size()}) {
        Releasing inPlace(bytes.data(), size, true);
        MemorySource buffered(bytes.data(), size);
        BitReader a(inPlace), b(buffered);
        for (std::size_t bit = 0; bit < size * 8 + 64; bit += 13) {
            ASSERT_EQ(a.GetBits(13), b.GetBits(13)) << size << " at bit " << bit;
        }
        EXPECT_EQ(a.Exhausted(), b.Exhausted());
        if (size == bytes.size()) {
            EXPECT_GE(inPlace.released, bytes.data() + size - (1u << 20));
        }
    }
}

// 7 bytes of -lh5- that say "65535 times: copy 256 bytes from 1 back" (16 MiB of blanks).
std::string BombStream() {
    // blocksize 0xFFFF | T: n=0 (5 bits), symbol 0 (5) | C: n=0 (9), symbol 509 (9) | P: n=0 (4), symbol 0 (4)
    std::string bits = std::string(16, '1') + "00000" + "00000" + "000000000" + "111111101" + "0000" + "0000";
    std::string bytes((bits.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i] == '1') bytes[i / 8] = static_cast<char>(bytes[i / 8] | (0x80 >> (i % 8)));
    }
    return bytes;
}

TEST(Decoders, StopAtTheDeclaredLengthWhateverTheStreamPromises) {
    std::string out;
    EXPECT_EQ(DecodeString(Method::Lh5, BombStream(), 1000000, out), DecodeStatus::Ok);
    EXPECT_EQ(out, std::string(1000000, ' '));
}

TEST(Decoders, RefuseGarbageWithoutCrashing) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 2654435761u) >> 13);
    for (Method m : {Method::Lh1, Method::Lh4, Method::Lh5, Method::Lh6, Method::Lh7, Method::Lhx, Method::Lzs,
                     Method::Lz5}) {
        std::string out;
        const DecodeStatus st = DecodeString(m, garbage, 1 << 20, out);
        EXPECT_LE(out.size(), 1u << 20);
        if (st == DecodeStatus::Ok) {
            EXPECT_EQ(out.size(), 1u << 20);
        }
    }
}

TEST(Headers, ReadEachLevel) {
    SKIP_WITHOUT_CORPUS();
    for (const char* f : {"h0_lh5.lzh", "h1_lh5.lzh", "h2_lh5.lzh"}) {
        const std::string bytes = ReadWhole(CorpusDir() + "/archives/explzh_723/" + f);
        MemoryFile file(bytes.data(), bytes.size());
        EntryHeader h;
        ASSERT_EQ(ReadHeader(file, 0, h), HeaderStatus::Ok) << f;
        EXPECT_EQ(h.fileName, "gpl-2");
        EXPECT_EQ(h.method, Method::Lh5);
        EXPECT_EQ(h.originalSize, 18092u);
        EXPECT_EQ(h.crc, 0xA33A);
        EXPECT_EQ(h.level, f[1] - '0');
        EXPECT_EQ(h.dataOffset + h.compressedSize + 1, bytes.size()) << f;  // then the end mark
    }
}

TEST(Headers, RefuseBadChecksumsAndShortHeaders) {
    std::string a = test::StoredEntry("hello.txt", "hello") + std::string(1, '\0');
    MemoryFile ok(a.data(), a.size());
    EntryHeader h;
    EXPECT_EQ(ReadHeader(ok, 0, h), HeaderStatus::Ok);
    std::string bad = a;
    bad[1] = static_cast<char>(bad[1] + 1);
    MemoryFile badFile(bad.data(), bad.size());
    EXPECT_EQ(ReadHeader(badFile, 0, h), HeaderStatus::BadChecksum);
    MemoryFile shortFile(a.data(), 20);
    EXPECT_EQ(ReadHeader(shortFile, 0, h), HeaderStatus::Truncated);
    std::string l2 = test::StoredEntry2("a\xFF" "b\xFF", "c.txt", "data") + std::string(1, '\0');
    MemoryFile l2File(l2.data(), l2.size());
    ASSERT_EQ(ReadHeader(l2File, 0, h), HeaderStatus::Ok);
    EXPECT_EQ(h.Path(), "a/b/c.txt");
}

TEST(Headers, SplitPathsOnlyAtSingleByteBackslashes) {
    // "表\ソ.txt": both kanji end in 0x5C; only the middle backslash separates.
    const std::string name = "\x95\x5C\\\x83\x5C.txt";
    std::string a = test::StoredEntry(name, "x") + std::string(1, '\0');
    MemoryFile file(a.data(), a.size());
    EntryHeader h;
    ASSERT_EQ(ReadHeader(file, 0, h), HeaderStatus::Ok);
    ASSERT_EQ(h.directory.size(), 1u);
    EXPECT_EQ(h.directory[0], "\x95\x5C");
    EXPECT_EQ(h.fileName, "\x83\x5C.txt");
}

}  // namespace
}  // namespace kavrel::lha
