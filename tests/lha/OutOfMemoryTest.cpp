// Running out of memory ends an archive with the library's message, never a crash, and
// leaves the installation as it was. This program replaces operator new so that, while
// armed, every allocation of 32 KiB or more fails (the decoders' windows and buffers,
// the scan for an archive behind a stub).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "lha/Archive.h"
#include "lha/Extractor.h"
#include "LhaTestSupport.h"

namespace {
bool g_armed = false;
constexpr std::size_t kLargest = 32 * 1024;

void* Allocate(std::size_t size) {
    if (g_armed && size >= kLargest) return nullptr;
    return std::malloc(size ? size : 1);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace kavrel::lha {
namespace {

using namespace test;  // TempDir, ReadWhole, WriteWhole, Tree, the archive builders

class Armed {
public:
    Armed() { g_armed = true; }
    ~Armed() { g_armed = false; }
};

TEST(OutOfMemory, ExtractionEndsWithTheMessageAndTheOldFilesStay) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", test::StoredEntry("a.txt", "new a") + test::StoredEntry("b.txt", "new b") + '\0');
    ::mkdir((tmp / "dest").c_str(), 0755);
    WriteWhole(tmp / "dest/a.txt", "old a");
    auto fs = MakePosixFileSystem();
    for (const Command command : {Command::Extract, Command::Test}) {
        Request r;
        r.command = command;
        r.archive = tmp / "arc.lzh";
        r.destination = tmp / "dest";
        Outcome o;
        {
            Armed armed;
            o = RunRequest(*fs, r);
        }
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.message.find("メモリが足りない"), std::string::npos) << o.message;
        EXPECT_EQ(Tree(tmp / "dest"), std::vector<std::string>{"/a.txt"});
        EXPECT_EQ(ReadWhole(tmp / "dest/a.txt"), "old a");
    }
}

TEST(OutOfMemory, TheSearchBehindAStubSaysSo) {
    const std::string sfx = std::string(600, 'M') + test::StoredEntry("a.txt", "a") + '\0';
    MemoryFile file(sfx.data(), sfx.size());
    ArchiveListing listing;
    std::string error;
    bool read = false;
    {
        Armed armed;
        read = ReadArchive(file, "sfx.exe", listing, error);
    }
    EXPECT_FALSE(read);
    EXPECT_NE(error.find("メモリが足りない"), std::string::npos) << error;
    ASSERT_TRUE(ReadArchive(file, "sfx.exe", listing, error)) << error;
}

}  // namespace
}  // namespace kavrel::lha
