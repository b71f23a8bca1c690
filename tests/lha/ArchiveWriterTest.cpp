// Archives written from disk: what goes in comes back (names, folders, bytes, times,
// attributes), reproducible archives are byte for byte the same, and whatever cannot
// be archived fails with a message and leaves nothing behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "lha/encoder/ArchiveWriter.h"
#include "lha/encoder/SourceFileSystem.h"
#include "EncoderTestSupport.h"

namespace kavrel::lha {
namespace {

using test::ReadBack;
using test::ReadWhole;
using test::TempDir;
using test::WriteWhole;

bool Write(const std::string& archive, const std::vector<SourceEntry>& entries, const WriteOptions& options,
           std::string& error, std::vector<WrittenEntry>* written = nullptr) {
    auto fs = MakeNativeSourceFileSystem();
    return WriteArchive(*fs, archive, entries, options, error, written);
}

TEST(ArchiveWriter, WhatGoesInComesBackAtEveryMethodAndHeaderLevel) {
    TempDir dir;
    ::mkdir((dir / "src").c_str(), 0755);
    const auto files = test::MakeVariedTree(dir / "src");
    test::SetTime(dir / "src/text.txt", 1700000000);
    ::chmod((dir / "src/one.bin").c_str(), 0444);
    for (int headerLevel : {1, 2}) {
        for (Method method : kEncodedMethods) {
            SCOPED_TRACE(std::string(MethodId(method)) + " level " + std::to_string(headerLevel));
            WriteOptions options;
            options.method = method;
            options.headerLevel = headerLevel;
            std::string error;
            std::vector<WrittenEntry> written;
            ASSERT_TRUE(Write(dir / "out.lzh", {{dir / "src", "top"}}, options, error, &written)) << error;
            const auto entries = ReadBack(ReadWhole(dir / "out.lzh"));
            ASSERT_EQ(entries.size(), written.size());
            std::map<std::string, const test::ReadBackEntry*> byPath;
            for (const auto& e : entries) {
                EXPECT_TRUE(e.decoded) << e.path;
                EXPECT_EQ(e.header.level, headerLevel);
                byPath[e.path] = &e;
            }
            for (const auto& [rel, data] : files) {
                ASSERT_TRUE(byPath.count("top/" + rel)) << rel;
                const auto& e = *byPath["top/" + rel];
                EXPECT_TRUE(e.data == data) << rel;
                // Compressed unless storing was asked for or does not pay.
                const bool shouldCompress = method != Method::Stored && rel.find("random") == std::string::npos &&
                                            data.size() > 100;
                EXPECT_EQ(std::string(e.header.methodId), shouldCompress ? MethodId(method) : "-lh0-") << rel;
                EXPECT_LE(e.header.compressedSize, data.size()) << rel;
            }
            for (const char* folder : {"top/", "top/日本語/", "top/日本語/深い/フォルダ/", "top/a/b/c/d/", "top/empty folder/"}) {
                ASSERT_TRUE(byPath.count(folder)) << folder;
                EXPECT_TRUE(byPath[folder]->header.IsDirectory());
                EXPECT_EQ(byPath[folder]->header.dosAttribute, 0x10);
            }
            EXPECT_EQ(byPath["top/one.bin"]->header.dosAttribute, 0x21);
            EXPECT_EQ(byPath["top/text.txt"]->header.dosAttribute, 0x20);
            const EntryHeader& text = byPath["top/text.txt"]->header;
            if (headerLevel == 2) {
                EXPECT_EQ(text.unixTime, 1700000000);
            } else {
                struct tm tm;
                const time_t t = 1700000000;
                localtime_r(&t, &tm);
                EXPECT_EQ(text.dosTime >> 16, static_cast<std::uint32_t>(((tm.tm_year - 80) << 9) |
                                                                       ((tm.tm_mon + 1) << 5) | tm.tm_mday));
            }
            EXPECT_EQ(test::Names(dir.Path()), (std::vector<std::string>{"out.lzh", "src"}));
        }
    }
}

TEST(ArchiveWriter, ReproducibleArchivesAreTheSameBytesWhateverTheTimesAndOrder) {
    TempDir dir;
    std::string archives[2];
    for (int round = 0; round < 2; ++round) {
        const std::string src = dir / ("src" + std::to_string(round));
        ::mkdir(src.c_str(), 0755);
        // Made in another order, with other times.
        const std::vector<std::string> names = round == 0 ? std::vector<std::string>{"b.txt", "a.txt", "c.txt"}
                                                          : std::vector<std::string>{"c.txt", "a.txt", "b.txt"};
        for (const std::string& n : names) {
            WriteWhole(src + "/" + n, test::TextBytes(5000, static_cast<std::uint32_t>(n[0])));
            test::SetTime(src + "/" + n, 1600000000 + round * 1000);
        }
        WriteOptions options;
        options.reproducible = true;
        std::string error;
        const std::string out = dir / ("out" + std::to_string(round) + ".lzh");
        ASSERT_TRUE(Write(out, {{src + "/c.txt", "c.txt"}, {src, "all"}, {src + "/a.txt", "a.txt"}}, options, error))
            << error;
        archives[round] = ReadWhole(out);
    }
    EXPECT_TRUE(archives[0] == archives[1]);
    std::vector<std::string> paths;
    for (const auto& e : ReadBack(archives[0])) paths.push_back(e.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"a.txt", "all/", "all/a.txt", "all/b.txt", "all/c.txt", "c.txt"}));
}

TEST(ArchiveWriter, LongNamesGoIntoExtendedHeaders) {
    TempDir dir;
    const std::string longName = std::string(110, 'n') + "長い名前" + std::string(110, 'm') + ".txt";
    WriteWhole(dir / longName, "long");
    for (int headerLevel : {1, 2}) {
        WriteOptions options;
        options.headerLevel = headerLevel;
        std::string error;
        ASSERT_TRUE(Write(dir / "out.lzh", {{dir / longName, longName}}, options, error)) << error;
        const auto entries = ReadBack(ReadWhole(dir / "out.lzh"));
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].path, longName);
        EXPECT_EQ(entries[0].data, "long");
    }
}

TEST(ArchiveWriter, TheArchiveNeverGoesIntoItself) {
    TempDir dir;
    WriteWhole(dir / "a.txt", "a");
    for (int round = 0; round < 2; ++round) {  // the second time the archive is there already
        std::string error;
        ASSERT_TRUE(Write(dir / "self.lzh", {{dir.Path(), ""}}, WriteOptions{}, error)) << error;
        std::vector<std::string> paths;
        for (const auto& e : ReadBack(ReadWhole(dir / "self.lzh"))) paths.push_back(e.path);
        EXPECT_EQ(paths, (std::vector<std::string>{"a.txt"}));
    }
}

// Each of these fails with a message that names the problem, writes no archive and
// leaves no temporary file; an archive that was there stays as it was.
TEST(ArchiveWriter, WhatCannotBeArchivedFailsAndLeavesNothingBehind) {
    TempDir dir;
    WriteWhole(dir / "ok.txt", "ok");
    WriteWhole(dir / "한글.txt", "hangul");
    ::mkdir((dir / "한국").c_str(), 0755);
    WriteWhole(dir / "한국/한.txt", "x");
    ASSERT_EQ(::symlink("ok.txt", (dir / "link").c_str()), 0);
    const std::string big = dir / "big.bin";
    WriteWhole(big, test::TextBytes(300000, 9));
    struct Case {
        std::vector<SourceEntry> entries;
        WriteOptions options;
        const char* message;
    };
    WriteOptions level3;
    level3.headerLevel = 3;
    WriteOptions level10;
    level10.level = 10;
    const std::vector<Case> cases = {
        {{{dir / "한글.txt", "한글.txt"}}, {}, "code page 932"},
        {{{dir / "ok.txt", "ok.txt"}, {dir / "한국", "k"}}, {}, "code page 932"},
        {{{dir / "missing.txt", "missing.txt"}}, {}, "no such file"},
        {{{dir / "link", "link"}}, {}, "symbolic link"},
        {{{dir / "ok.txt", "A.TXT"}, {dir / "big.bin", "a.txt"}}, {}, "twice"},
        {{{dir / "ok.txt", "../ok.txt"}}, {}, "relative path"},
        {{{dir / "ok.txt", "/ok.txt"}}, {}, "relative path"},
        {{{dir / "ok.txt", "a//ok.txt"}}, {}, "relative path"},
        {{{dir / "ok.txt", "a\\ok.txt"}}, {}, "Windows cannot create (a character it forbids)"},
        {{{dir / "ok.txt", "c:ok.txt"}}, {}, "Windows cannot create (a character it forbids)"},
        {{{dir / "ok.txt", "ok.txt"}, {dir / "big.bin", "CON.INI"}}, {}, "Windows cannot create (a device name)"},
        {{{dir / "ok.txt", "lpt1/ok.txt"}}, {}, "Windows cannot create (a device name)"},
        {{{dir / "ok.txt", "ok. "}}, {}, "Windows cannot create (a dot or blank at the end)"},
        {{{dir / "ok.txt", "ok.txt"}}, level3, "header level"},
        {{{dir / "ok.txt", "ok.txt"}}, level10, "level"},
        {{}, {}, "nothing"},
    };
    WriteWhole(dir / "old.lzh", "the old archive");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::string error;
        EXPECT_FALSE(Write(dir / "new.lzh", c.entries, c.options, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(Write(dir / "old.lzh", c.entries, c.options, error));
        EXPECT_TRUE(ReadWhole(dir / "old.lzh") == "the old archive");
        EXPECT_EQ(test::Names(dir.Path()),
                  (std::vector<std::string>{"big.bin", "link@", "ok.txt", "old.lzh", "한국", "한글.txt"}));
    }
}

// The native file system, with an archive that fails to be written after `limit` bytes.
class FailingWrites : public SourceFileSystem {
public:
    explicit FailingWrites(std::uint64_t limit) : limit_(limit) {}
    SourceInfo Stat(const std::string& p) override { return native_->Stat(p); }
    bool List(const std::string& p, std::vector<std::string>& n) override { return native_->List(p, n); }
    std::unique_ptr<SourceFile> Open(const std::string& p) override { return native_->Open(p); }
    std::unique_ptr<ArchiveOutput> CreateTemporary(const std::string& p, std::string& created) override {
        class Output : public ArchiveOutput {
        public:
            Output(std::unique_ptr<ArchiveOutput> o, std::uint64_t limit) : o_(std::move(o)), limit_(limit) {}
            bool Write(const void* d, std::size_t n) override { return Position() + n <= limit_ && o_->Write(d, n); }
            std::uint64_t Position() const override { return o_->Position(); }
            bool Truncate(std::uint64_t at) override { return o_->Truncate(at); }
            bool WriteAt(std::uint64_t at, const void* d, std::size_t n) override { return o_->WriteAt(at, d, n); }
            bool Close() override { return o_->Close(); }

        private:
            std::unique_ptr<ArchiveOutput> o_;
            std::uint64_t limit_;
        };
        auto inner = native_->CreateTemporary(p, created);
        return inner ? std::make_unique<Output>(std::move(inner), limit_) : nullptr;
    }
    bool Replace(const std::string& f, const std::string& t) override { return native_->Replace(f, t); }
    bool Remove(const std::string& p) override { return native_->Remove(p); }
    std::uint32_t DosTime(std::int64_t t) override { return native_->DosTime(t); }
    std::string Join(const std::string& f, const std::string& n) override { return native_->Join(f, n); }

private:
    std::unique_ptr<SourceFileSystem> native_ = MakeNativeSourceFileSystem();
    std::uint64_t limit_;
};

TEST(ArchiveWriter, AFailedWriteLeavesTheOldArchiveAndNoTemporaryFile) {
    TempDir dir;
    WriteWhole(dir / "random.bin", test::RandomBytes(100000, 6));
    WriteWhole(dir / "text.txt", test::TextBytes(400000, 5));
    const std::vector<SourceEntry> entries = {{dir / "random.bin", "r"}, {dir / "text.txt", "t"}};
    std::string error;
    ASSERT_TRUE(Write(dir / "probe.lzh", entries, {}, error)) << error;
    const std::uint64_t whole = ReadWhole(dir / "probe.lzh").size();
    ::unlink((dir / "probe.lzh").c_str());
    // In the first header, in stored data, in compressed data, at the end marker.
    for (std::uint64_t limit : {std::uint64_t{10}, std::uint64_t{5000}, whole - 1000, whole - 1}) {
        SCOPED_TRACE(limit);
        WriteWhole(dir / "out.lzh", "old");
        FailingWrites fs(limit);
        EXPECT_FALSE(WriteArchive(fs, dir / "out.lzh", entries, {}, error));
        EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
        EXPECT_TRUE(ReadWhole(dir / "out.lzh") == "old");
        EXPECT_EQ(test::Names(dir.Path()), (std::vector<std::string>{"out.lzh", "random.bin", "text.txt"}));
    }
}

}  // namespace
}  // namespace kavrel::lha
