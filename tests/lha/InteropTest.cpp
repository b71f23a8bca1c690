// Others read what we write: archives of every method and level, with varied files and
// Japanese names, extracted by lhasa, by bsdtar (libarchive) and by our own decoder,
// byte for byte. The tools come with scripts/setup; without them the tests skip.
#include <gtest/gtest.h>

#include <cstdlib>

#include "lha/encoder/ArchiveWriter.h"
#include "lha/encoder/BlockCoder.h"
#include "lha/encoder/HeaderWriter.h"
#include "lha/encoder/SourceFileSystem.h"
#include "EncoderTestSupport.h"

namespace kavrel::lha {
namespace {

using test::ReadWhole;
using test::TempDir;
using test::WriteWhole;

using Files = std::vector<std::pair<std::string, std::string>>;

bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }
#define SKIP_WITHOUT_PEERS()                                                                              \
    if (!Have("lhasa") || !Have("bsdtar"))                                                                \
    GTEST_SKIP() << "lhasa or bsdtar missing (packages lhasa, libarchive-tools: scripts/setup)"

bool Run(const std::string& folder, const std::string& command) {
    ::mkdir(folder.c_str(), 0755);
    return std::system(("cd '" + folder + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// lhasa writes names as the archive holds them (code page 932).
std::string Cp932Path(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(Utf8ToCp932(utf8, out)) << utf8;
    return out;
}

// Extracts `archive` with each reader and compares every file with `files`.
void ExpectEveryReaderExtracts(const TempDir& dir, const std::string& archive, const Files& files,
                               const std::string& prefix) {
    const std::string lhasa = dir / "by-lhasa";
    const std::string bsdtar = dir / "by-bsdtar";
    std::system(("rm -rf '" + lhasa + "' '" + bsdtar + "'").c_str());
    ASSERT_TRUE(Run(lhasa, "lhasa x '" + archive + "'")) << "lhasa refused " << archive;
    // bsdtar takes names as the locale's unless told: LZH archives carry no charset.
    ASSERT_TRUE(Run(bsdtar, "LC_ALL=C.UTF-8 bsdtar --options hdrcharset=CP932 -xf '" + archive + "'"))
        << "bsdtar refused " << archive;
    std::map<std::string, std::string> ours;
    for (const auto& e : test::ReadBack(ReadWhole(archive))) {
        EXPECT_TRUE(e.decoded) << e.path;
        ours[e.path] = e.data;
    }
    for (const auto& [rel, data] : files) {
        const std::string path = prefix + rel;
        EXPECT_TRUE(ReadWhole(lhasa + "/" + Cp932Path(path)) == data) << "lhasa: " << path;
        EXPECT_TRUE(test::Exists(bsdtar + "/" + path) && ReadWhole(bsdtar + "/" + path) == data) << "bsdtar: " << path;
        EXPECT_TRUE(ours.count(path) && ours[path] == data) << "ours: " << path;
    }
}

TEST(Interop, EveryMethodAndLevelIsReadByLhasaBsdtarAndOurDecoder) {
    SKIP_WITHOUT_PEERS();
    TempDir dir;
    ::mkdir((dir / "src").c_str(), 0755);
    const Files files = test::MakeVariedTree(dir / "src");
    struct Variant {
        Method method;
        int level;
        int headerLevel;
    };
    std::vector<Variant> variants = {{Method::Stored, 0, 2}, {Method::Stored, 0, 1}};
    for (Method m : {Method::Lh5, Method::Lh6, Method::Lh7}) {
        for (int level = 0; level <= 9; ++level) variants.push_back({m, level, 2});
        variants.push_back({m, 0, 1});
        variants.push_back({m, 9, 1});
    }
    for (const Variant& v : variants) {
        SCOPED_TRACE(std::string(MethodId(v.method)) + " level " + std::to_string(v.level) + " header level " +
                     std::to_string(v.headerLevel));
        WriteOptions options;
        options.method = v.method;
        options.level = v.level;
        options.headerLevel = v.headerLevel;
        std::string error;
        ASSERT_TRUE(WriteArchive(dir / "out.lzh", {{dir / "src", "src"}}, options, error)) << error;
        ExpectEveryReaderExtracts(dir, dir / "out.lzh", files, "src/");
        if (HasFatalFailure()) return;
    }
}

// A block whose literal code reaches the 16-bit limit needs all 19 pre-tree symbols: a
// table count some readers treat apart. Written as an archive by hand around one block.
TEST(Interop, CodesAtTheLengthLimitAreReadByEveryone) {
    SKIP_WITHOUT_PEERS();
    std::vector<encoder::Symbol> symbols;
    encoder::Histogram h;
    std::uint32_t a = 1;
    std::uint32_t b = 1;
    for (int i = 0; i < 22; ++i) {
        for (std::uint32_t k = 0; k < a; ++k) symbols.push_back(encoder::Literal(static_cast<std::uint8_t>('A' + i)));
        const std::uint32_t c = a + b;
        a = b;
        b = c;
    }
    std::shuffle(symbols.begin(), symbols.end(), std::mt19937(5));
    std::string data;
    for (const auto& s : symbols) {
        data += static_cast<char>(s.code);
        h.Add(s);
    }
    encoder::BitWriter bits;
    encoder::BlockCoder(kMaxEncodedNP).Write(symbols.data(), symbols.size(), h, bits);
    bits.AlignToByte();
    encoder::HeaderFields fields;
    fields.method = Method::Lh7;
    fields.name = "skewed.txt";
    fields.originalSize = data.size();
    fields.packedSize = bits.Bytes().size();
    fields.crc = Crc16(data.data(), data.size());
    std::vector<std::uint8_t> header;
    std::string error;
    ASSERT_TRUE(encoder::BuildHeader(2, fields, header, error)) << error;
    TempDir dir;
    WriteWhole(dir / "skewed.lzh", std::string(header.begin(), header.end()) +
                                       std::string(bits.Bytes().begin(), bits.Bytes().end()) + std::string(1, '\0'));
    ExpectEveryReaderExtracts(dir, dir / "skewed.lzh", {{"skewed.txt", data}}, "");
}

// 100 MB of mixed data (text, random stretches, runs and copies) through each method
// once: long inputs move the encoder's buffer many times.
TEST(Interop, AHundredMegabyteFileAtOneLevelPerMethod) {
    SKIP_WITHOUT_PEERS();
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "runs in the plain native build (too slow under the sanitizers for CI)";
#endif
    TempDir dir;
    {
        std::string big;
        big.reserve(100u << 20);
        std::mt19937 rng(100);
        while (big.size() < (100u << 20)) {
            switch (rng() % 4) {
            case 0: big += test::TextBytes(200000 + rng() % 100000, rng()); break;
            case 1: big += test::RandomBytes(50000 + rng() % 100000, rng()); break;
            case 2: big += std::string(rng() % 300000, static_cast<char>(rng())); break;
            default: big += big.substr(big.size() / 2, rng() % 400000); break;
            }
        }
        big.resize(100u << 20);
        WriteWhole(dir / "big.bin", big);
    }
    const std::string expected = ReadWhole(dir / "big.bin");
    const std::pair<Method, int> runs[] = {{Method::Lh5, 9}, {Method::Lh6, 1}, {Method::Lh7, 0}};
    for (const auto& [method, level] : runs) {
        SCOPED_TRACE(MethodId(method));
        WriteOptions options;
        options.method = method;
        options.level = level;
        std::string error;
        std::vector<WrittenEntry> written;
        auto fs = MakeNativeSourceFileSystem();
        ASSERT_TRUE(WriteArchive(*fs, dir / "big.lzh", {{dir / "big.bin", "big.bin"}}, options, error, &written))
            << error;
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].method, method);
        EXPECT_LT(written[0].packedSize, expected.size() * 3 / 4);
        ExpectEveryReaderExtracts(dir, dir / "big.lzh", {{"big.bin", expected}}, "");
    }
}

}  // namespace
}  // namespace kavrel::lha
