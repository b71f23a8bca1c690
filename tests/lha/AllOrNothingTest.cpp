// Every archive is all-or-nothing: whatever step fails (a damaged entry, a file that
// cannot be written, moved aside or moved in), the installed files keep their bytes
// and modes and nothing of ours is left behind; on success every file is new.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "lha/Crc16.h"
#include "lha/Extractor.h"
#include "LhaTestSupport.h"

namespace kavrel::lha {
namespace {

using namespace test;  // TempDir, ReadWhole, WriteWhole, Tree, the archive builders

// The native file system with one fault: the `failAt`-th step that writes (making a
// folder, creating, writing or closing a file, moving one) fails, and every step after
// it works again, so that what the extractor does about the fault can be seen.
class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(int failAt) : failAt_(failAt) {}
    bool Hit() const { return steps_ > failAt_; }
    std::uint64_t freeSpace = ~std::uint64_t{0};

    char Separator() const override { return real_->Separator(); }
    Kind Stat(const std::string& path) override { return real_->Stat(path); }
    std::unique_ptr<RandomAccess> OpenRead(const std::string& path) override { return real_->OpenRead(path); }
    bool MakeDirectory(const std::string& path) override { return Step() && real_->MakeDirectory(path); }
    bool RemoveFolder(const std::string& path) override { return real_->RemoveFolder(path); }
    std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
        if (!Step()) return nullptr;
        std::unique_ptr<OutputFile> real = real_->CreateNew(path);
        if (!real) return nullptr;
        return std::make_unique<Output>(*this, std::move(real));
    }
    bool Move(const std::string& from, const std::string& to) override { return Step() && real_->Move(from, to); }
    bool Replace(const std::string& from, const std::string& to) override { return Step() && real_->Replace(from, to); }
    // Not a step: without a link the commit moves the old file aside instead.
    bool Link(const std::string& from, const std::string& to) override { return real_->Link(from, to); }
    std::vector<std::string> ListFiles(const std::string& folder) override { return real_->ListFiles(folder); }
    bool Remove(const std::string& path) override { return real_->Remove(path); }
    void SetModificationTime(const std::string& path, std::int64_t t) override { real_->SetModificationTime(path, t); }
    bool FreeSpace(const std::string& path, std::uint64_t& bytes) override {
        if (!real_->FreeSpace(path, bytes)) return false;
        bytes = std::min(bytes, freeSpace);
        return true;
    }

private:
    class Output : public OutputFile {
    public:
        Output(FaultyFileSystem& fs, std::unique_ptr<OutputFile> real) : fs_(fs), real_(std::move(real)) {}
        bool Write(const void* data, std::size_t size) override { return fs_.Step() && real_->Write(data, size); }
        bool Close() override {
            const bool closed = real_->Close();
            return fs_.Step() && closed;
        }

    private:
        FaultyFileSystem& fs_;
        std::unique_ptr<OutputFile> real_;
    };
    bool Step() { return steps_++ != failAt_; }

    std::unique_ptr<FileSystem> real_ = MakePosixFileSystem();
    int failAt_;
    int steps_ = 0;
};

struct FileState {
    std::string data;
    mode_t mode;
    bool operator==(const FileState&) const = default;
};

// Every file and folder below `root` with its bytes and permission bits.
std::map<std::string, FileState> Snapshot(const std::string& root) {
    std::map<std::string, FileState> out;
    for (const std::string& rel : Tree(root)) {
        struct stat st;
        ::lstat((root + rel).c_str(), &st);
        out[rel] = {rel.back() == '/' ? std::string() : ReadWhole(root + rel), st.st_mode & 07777};
    }
    return out;
}

std::string Stored(const std::string& name, const std::string& data) { return test::StoredEntry(name, data); }

// Three entries in two folders, for `x`; `e` puts all three into one folder.
std::string ThreeEntries(bool damageLast = false) {
    std::string last = Stored("sub\\c.txt", "new c");
    if (damageLast) last[last.size() - 1] ^= 1;  // a data byte: the CRC no longer matches
    return Stored("a.txt", "new a") + Stored("sub\\b.txt", "new b") + last + '\0';
}

// An installation with old versions of the files, one of them read-only, and one file
// the archive does not touch.
void InstallOldFiles(const TempDir& tmp) {
    ::mkdir((tmp / "dest").c_str(), 0755);
    ::mkdir((tmp / "dest/sub").c_str(), 0755);
    WriteWhole(tmp / "dest/a.txt", "old a");
    WriteWhole(tmp / "dest/c.txt", "old c, flat");
    WriteWhole(tmp / "dest/sub/b.txt", "old b");
    WriteWhole(tmp / "dest/keep.txt", "untouched");
    ::chmod((tmp / "dest/a.txt").c_str(), 0444);
}

Outcome RunOn(FileSystem& fs, Command command, const std::string& archive, const std::string& dest,
            ExtractionObserver* observer = nullptr) {
    Request r;
    r.command = command;
    r.archive = archive;
    r.destination = dest;
    return RunRequest(fs, r, observer);
}

TEST(AllOrNothing, ACrcErrorInTheLastEntryReplacesNoInstalledFile) {
    for (const Command command : {Command::Extract, Command::ExtractWithPaths}) {
        TempDir tmp;
        WriteWhole(tmp / "arc.lzh", ThreeEntries(true));
        InstallOldFiles(tmp);
        const auto before = Snapshot(tmp / "dest");
        auto fs = MakePosixFileSystem();
        const Outcome o = RunOn(*fs, command, tmp / "arc.lzh", tmp / "dest");
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.message.find("CRC"), std::string::npos) << o.message;
        EXPECT_NE(o.message.find("sub/c.txt"), std::string::npos) << o.message;
        EXPECT_EQ(o.filesWritten, 0);
        EXPECT_EQ(Snapshot(tmp / "dest"), before);
    }
}

TEST(AllOrNothing, AFailureAtAnyStepLeavesTheInstallationAsItWas) {
    // "new\d.txt" needs a folder that `x` makes and must remove again on failure
    const std::string archive = ThreeEntries().substr(0, ThreeEntries().size() - 1) + Stored("new\\d.txt", "new d") + '\0';
    for (const Command command : {Command::Extract, Command::ExtractWithPaths}) {
        for (const char* dest : {"dest", "fresh/dest"}) {
            int failAt = 0;
            for (;; ++failAt) {
                const std::string where = std::string(dest) + ", step " + std::to_string(failAt);
                TempDir tmp;
                WriteWhole(tmp / "arc.lzh", archive);
                InstallOldFiles(tmp);
                const auto before = Snapshot(tmp.Path());
                FaultyFileSystem fs(failAt);
                const Outcome o = RunOn(fs, command, tmp / "arc.lzh", tmp / dest);
                if (!fs.Hit()) {
                    ASSERT_TRUE(o.ok) << where << ": " << o.message;
                    EXPECT_EQ(ReadWhole(tmp / dest + "/a.txt"), "new a");
                    break;
                }
                EXPECT_FALSE(o.ok) << where;
                EXPECT_FALSE(o.message.empty()) << where;
                EXPECT_EQ(o.filesWritten, 0) << where;
                EXPECT_EQ(Snapshot(tmp.Path()), before) << where << ": " << o.message;
            }
            EXPECT_GT(failAt, 10) << "the fault never hit a step";
        }
    }
}

TEST(AllOrNothing, OnSuccessEveryFileIsNewAndNothingOfOursIsLeft) {
    for (const Command command : {Command::Extract, Command::ExtractWithPaths}) {
        TempDir tmp;
        WriteWhole(tmp / "arc.lzh", ThreeEntries());
        InstallOldFiles(tmp);
        auto fs = MakePosixFileSystem();
        const Outcome o = RunOn(*fs, command, tmp / "arc.lzh", tmp / "dest");
        ASSERT_TRUE(o.ok) << o.message;
        EXPECT_EQ(o.filesWritten, 3);
        auto after = Snapshot(tmp / "dest");
        EXPECT_EQ(after["/a.txt"].data, "new a");
        EXPECT_EQ(after["/a.txt"].mode & 0200, 0200u) << "the read-only file was replaced by a new, normal one";
        EXPECT_EQ(after["/keep.txt"].data, "untouched");
        if (command == Command::Extract) {
            EXPECT_EQ(after["/b.txt"].data, "new b");
            EXPECT_EQ(after["/c.txt"].data, "new c");
            EXPECT_EQ(after["/sub/b.txt"].data, "old b");
        } else {
            EXPECT_EQ(after["/sub/b.txt"].data, "new b");
            EXPECT_EQ(after["/sub/c.txt"].data, "new c");
            EXPECT_EQ(after["/c.txt"].data, "old c, flat");
        }
        EXPECT_EQ(after.size(), 6u);
        for (const auto& [path, state] : after) EXPECT_EQ(path.find("~kv"), std::string::npos) << path;
    }
}

TEST(AllOrNothing, AnArchiveLargerThanTheFreeSpaceIsRefusedBeforeWriting) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", ThreeEntries());
    FaultyFileSystem fs(-1);
    fs.freeSpace = 14;  // the entries hold 15 bytes
    const Outcome o = RunOn(fs, Command::ExtractWithPaths, tmp / "arc.lzh", tmp / "dest/new");
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.message.find("空き容量"), std::string::npos) << o.message;
    EXPECT_NE(o.message.find("15 バイト"), std::string::npos) << o.message;
    EXPECT_FALSE(test::Exists(tmp / "dest"));
    fs.freeSpace = 15;
    EXPECT_TRUE(RunOn(fs, Command::ExtractWithPaths, tmp / "arc.lzh", tmp / "dest/new").ok);

    // the real free space: an entry that declares a pebibyte
    auto fs2 = MakePosixFileSystem();
    std::uint64_t free = 0;
    ASSERT_TRUE(fs2->FreeSpace(tmp.Path(), free));
    EXPECT_GT(free, 0u);
    WriteWhole(tmp / "huge.lzh", Stored("a.txt", "new a") + test::Level2Entry("", "huge.bin", "x", 1ull << 50, 0) + '\0');
    const Outcome huge = RunOn(*fs2, Command::Extract, tmp / "huge.lzh", tmp / "dest2");
    EXPECT_FALSE(huge.ok);
    EXPECT_NE(huge.message.find("空き容量"), std::string::npos) << huge.message;
    EXPECT_FALSE(test::Exists(tmp / "dest2"));
    // declared sizes whose sum does not fit 64 bits
    const std::string half = test::Level2Entry("", "h1.bin", "x", 1ull << 63, 0);
    WriteWhole(tmp / "wrap.lzh", half + test::Level2Entry("", "h2.bin", "x", 1ull << 63, 0) + '\0');
    EXPECT_NE(RunOn(*fs2, Command::Extract, tmp / "wrap.lzh", tmp / "dest2").message.find("空き容量"), std::string::npos);
}

// What a run reports, in order, as text.
class Recorder : public ExtractionObserver {
public:
    explicit Recorder(const std::string& dest = std::string()) : dest_(dest) {}
    void OnBegin(std::uint64_t entries, std::uint64_t bytes) override {
        log += "begin " + std::to_string(entries) + " " + std::to_string(bytes) + "\n";
    }
    void OnBytesRead(std::uint64_t bytes) override {
        if (bytes <= lastBytes) log += "bytes went back\n";
        lastBytes = bytes;
    }
    void OnEntry(const EntryHeader& h, bool crcChecked) override {
        log += "entry " + h.Path() + " " + std::to_string(h.originalSize) + (crcChecked ? " crc" : "") + " at " +
               std::to_string(lastBytes) + "\n";
        // with e, the file is in place when it is reported
        if (!dest_.empty()) {
            EXPECT_EQ(ReadWhole(dest_ + "/" + h.fileName), "new " + h.fileName.substr(0, 1));
        }
    }
    std::string log;
    std::uint64_t lastBytes = 0;

private:
    std::string dest_;
};

TEST(AllOrNothing, ObserversHearTheTotalsTheBytesAndEachEntryInPlace) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", ThreeEntries());
    auto fs = MakePosixFileSystem();
    Recorder tested;
    ASSERT_TRUE(RunOn(*fs, Command::Test, tmp / "arc.lzh", std::string(), &tested).ok);
    EXPECT_EQ(tested.log,
              "begin 3 15\nentry a.txt 5 crc at 5\nentry sub/b.txt 5 crc at 10\nentry sub/c.txt 5 crc at 15\n");
    Recorder extracted(tmp / "dest");
    ASSERT_TRUE(RunOn(*fs, Command::Extract, tmp / "arc.lzh", tmp / "dest", &extracted).ok);
    EXPECT_EQ(extracted.log,
              "begin 3 15\nentry a.txt 5 crc at 15\nentry sub/b.txt 5 crc at 15\nentry sub/c.txt 5 crc at 15\n");

    WriteWhole(tmp / "bad.lzh", ThreeEntries(true));
    Recorder failed;
    EXPECT_FALSE(RunOn(*fs, Command::Extract, tmp / "bad.lzh", tmp / "dest2", &failed).ok);
    EXPECT_EQ(failed.log, "begin 3 15\n");
    Recorder listed;
    ASSERT_TRUE(RunOn(*fs, Command::List, tmp / "arc.lzh", std::string(), &listed).ok);
    EXPECT_EQ(listed.log, "entry a.txt 5 at 0\nentry sub/b.txt 5 at 0\nentry sub/c.txt 5 at 0\n");
}

}  // namespace
}  // namespace kavrel::lha
