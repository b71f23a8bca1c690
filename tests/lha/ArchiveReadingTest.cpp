// Reading an archive's headers: damage is reported, never mistaken for the end of the
// archive or for the start of a self-extracting one; real archives (end marks followed
// by padding or trailers, LArc archives without an end mark, stubs) still read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include "lha/Archive.h"
#include "lha/Extractor.h"
#include "lha/Messages.h"
#include "LhaTestSupport.h"

namespace kavrel::lha {
namespace {

using namespace test;  // TempDir, ReadWhole, WriteWhole, Tree, the archive builders

struct Parts {
    std::string a, b, c;
    std::string All() const { return a + b + c; }
};

Parts ThreeStored() {
    return {test::StoredEntry("a.txt", "first file"), test::StoredEntry("b.txt", "second file"),
            test::StoredEntry("c.txt", "third file")};
}

Parts ThreeLevel2() {
    return {test::StoredEntry2("", "a.txt", "first file"), test::StoredEntry2("", "b.txt", "second file"),
            test::StoredEntry2("", "c.txt", "third file")};
}

bool Read(const std::string& bytes, std::string& error, std::size_t* count = nullptr) {
    MemoryFile file(bytes.data(), bytes.size());
    ArchiveListing listing;
    const bool ok = ReadArchive(file, "arc.lzh", listing, error);
    if (count) *count = listing.entries.size();
    return ok;
}

// `t` and `e` on the bytes as a file: the outcome of `e`, after checking that `t`
// agrees and that a failing `e` wrote nothing.
Outcome TestAndExtract(const std::string& bytes) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", bytes);
    auto fs = MakePosixFileSystem();
    Request r;
    r.archive = tmp / "arc.lzh";
    r.command = Command::Test;
    const Outcome tested = RunRequest(*fs, r);
    r.command = Command::Extract;
    r.destination = tmp / "dest";
    const Outcome extracted = RunRequest(*fs, r);
    EXPECT_EQ(tested.ok, extracted.ok) << tested.message << " / " << extracted.message;
    if (!extracted.ok) {
        EXPECT_TRUE(Tree(tmp / "dest").empty());
    } else {
        EXPECT_EQ(ReadWhole(tmp / "dest/a.txt"), "first file");
    }
    return extracted;
}

TEST(ArchiveReading, ADamagedFirstHeaderIsReportedNotSkipped) {
    for (const Parts& parts : {ThreeStored(), ThreeLevel2()}) {
        std::string zeroSize = parts.All() + '\0';
        zeroSize[0] = '\0';
        std::string error;
        EXPECT_FALSE(Read(zeroSize, error));
        EXPECT_NE(error.find("1 番目"), std::string::npos) << error;
        EXPECT_NE(error.find("大きさが 0"), std::string::npos) << error;
        Outcome o = TestAndExtract(zeroSize);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.filesWritten, 0);

        std::string level9 = parts.All() + '\0';
        level9[20] = 9;
        EXPECT_FALSE(Read(level9, error));
        EXPECT_NE(error.find("ヘッダレベル 9"), std::string::npos) << error;
        EXPECT_FALSE(TestAndExtract(level9).ok);
    }
}

TEST(ArchiveReading, AZeroByteFollowedByHeadersIsDamageNotTheEnd) {
    for (const Parts& parts : {ThreeStored(), ThreeLevel2()}) {
        // the size byte of entry 2, then of entry 3 (nothing valid follows that one)
        for (const std::size_t at : {parts.a.size(), parts.a.size() + parts.b.size()}) {
            std::string bytes = parts.All() + '\0';
            bytes[at] = '\0';
            std::string error;
            std::size_t count = 0;
            EXPECT_FALSE(Read(bytes, error, &count)) << at;
            EXPECT_EQ(count, at == parts.a.size() ? 1u : 2u);
            EXPECT_NE(error.find(at == parts.a.size() ? "2 番目" : "3 番目"), std::string::npos) << error;
            EXPECT_FALSE(TestAndExtract(bytes).ok) << at;
        }
    }
    // an end mark with a whole entry after it
    const Parts parts = ThreeStored();
    std::string error;
    EXPECT_FALSE(Read(parts.a + '\0' + parts.b + '\0', error));
    EXPECT_NE(error.find("終わりの印"), std::string::npos) << error;
    EXPECT_FALSE(TestAndExtract(parts.a + std::string(5, '\0') + parts.b + '\0').ok);
}

TEST(ArchiveReading, AnEndMarkMayBeFollowedByPaddingOrATrailer) {
    const std::string archive = ThreeStored().All();
    const std::string trailers[] = {
        std::string(),
        std::string(511, '\0'),                              // sector padding
        std::string(127, '\x1A'),                            // CP/M end-of-file padding
        "Atari stub code: -lh5- \x4e\x75 not a header\xff",  // a method id without a header
    };
    for (const std::string& trailer : trailers) {
        std::string error;
        std::size_t count = 0;
        EXPECT_TRUE(Read(archive + '\0' + trailer, error, &count)) << error;
        EXPECT_EQ(count, 3u);
        const Outcome o = TestAndExtract(archive + '\0' + trailer);
        EXPECT_TRUE(o.ok) << o.message;
        EXPECT_EQ(o.filesWritten, 3);
    }
}

TEST(ArchiveReading, TheEndOfTheFileBetweenEntriesIsATruncatedArchive) {
    const Parts parts = ThreeStored();
    for (const std::string& bytes : {parts.All(), parts.a + parts.b}) {
        std::string error;
        EXPECT_FALSE(Read(bytes, error));
        EXPECT_NE(error.find("切れて"), std::string::npos) << error;
        const Outcome o = TestAndExtract(bytes);
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.message.find("切れて"), std::string::npos) << o.message;
    }
}

TEST(ArchiveReading, LArcArchivesNeedNoEndMark) {
    auto lz4 = [](const std::string& name, const std::string& data) {
        return test::Level0Entry(name, data, static_cast<std::uint32_t>(data.size()), Crc16(data.data(), data.size()),
                                 "-lz4-");
    };
    const std::string larc = lz4("a.txt", "first file") + lz4("b.txt", "second file");
    std::string error;
    std::size_t count = 0;
    EXPECT_TRUE(Read(larc, error, &count)) << error;
    EXPECT_EQ(count, 2u);
    EXPECT_TRUE(TestAndExtract(larc).ok);
    // one entry of a later method: that writer did write end marks
    EXPECT_FALSE(Read(larc + test::StoredEntry("c.txt", "third file"), error));
    EXPECT_NE(error.find("切れて"), std::string::npos) << error;
}

TEST(ArchiveReading, ArchivesBehindAStubAreStillFound) {
    std::string stub = "MZ\x90";
    stub += std::string(500, '\x4c');
    const std::string archive = stub + ThreeLevel2().All() + '\0';
    std::string error;
    MemoryFile file(archive.data(), archive.size());
    ArchiveListing listing;
    ASSERT_TRUE(ReadArchive(file, "sfx.exe", listing, error)) << error;
    EXPECT_EQ(listing.start, stub.size());
    EXPECT_EQ(listing.entries.size(), 3u);
    EXPECT_TRUE(TestAndExtract(archive).ok);

    EXPECT_FALSE(Read(stub, error));
    EXPECT_NE(error.find("LZH 書庫ではありません"), std::string::npos) << error;

    // PMarc's stub opens with a header-like "-pms-" record
    const std::string pmarc = std::string("\x18\x79-pms-S\x08\x00\x00\xd7\r\nPMsfx") + std::string(300, 'x') +
                              ThreeStored().All() + '\0';
    EXPECT_TRUE(TestAndExtract(pmarc).ok);
}

// Cuts the archive short once decoding has begun, as another program might.
class CutWhenReading : public ExtractionObserver {
public:
    CutWhenReading(std::string path, off_t size) : path_(std::move(path)), size_(size) {}
    void OnBytesRead(std::uint64_t) override {
        if (cut_) return;
        cut_ = true;
        EXPECT_EQ(::truncate(path_.c_str(), size_), 0);
    }

private:
    std::string path_;
    off_t size_;
    bool cut_ = false;
};

// The native tool reads archives in place from a memory map; the pages lost by the cut
// must fail the entries on them as unreadable, not end the process.
TEST(ArchiveReading, AnArchiveCutShortWhileItIsReadFailsAndWritesNothing) {
    std::string big;
    for (std::uint32_t i = 0; i < 300000; ++i) big += static_cast<char>((i * 2654435761u) >> 13);
    const std::string first = test::StoredEntry("a.txt", "first file");
    const std::string archive = first + test::StoredEntry("big.bin", big) + test::StoredEntry("c.txt", "third file") + '\0';
    for (Command command : {Command::Test, Command::Extract}) {
        TempDir tmp;
        WriteWhole(tmp / "arc.lzh", archive);
        auto fs = MakePosixFileSystem();
        Request r;
        r.archive = tmp / "arc.lzh";
        r.command = command;
        r.destination = tmp / "dest";
        CutWhenReading cut(r.archive, static_cast<off_t>(first.size() + 40));
        const Outcome o = RunRequest(*fs, r, &cut);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.message, msg::ArchiveReadFailed());
        EXPECT_TRUE(Tree(tmp / "dest").empty());
    }
    // Another bus error than ours is still fatal.
    EXPECT_DEATH(::raise(SIGBUS), "");
}

}  // namespace
}  // namespace kavrel::lha
