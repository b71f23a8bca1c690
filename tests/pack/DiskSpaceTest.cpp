// What files take on a floppy: whole clusters, directory entries (long names more),
// the root's fixed entries, and the clusters of sub-folders.
#include <gtest/gtest.h>

#include "pack/DiskSpace.h"

namespace kavrel::pack {
namespace {

MediaType Type(const char* name) {
    MediaType t;
    EXPECT_TRUE(FindMediaType(name, t));
    return t;
}

TEST(DiskSpace, TheThreeFloppiesHaveTheirCapacities) {
    EXPECT_EQ(Type("floppy-1.44").capacity, 1457664u);
    EXPECT_EQ(Type("floppy-1.2").capacity, 1213952u);
    EXPECT_EQ(Type("floppy-720").capacity, 730112u);
    EXPECT_EQ(Type("floppy-720").cluster, 1024u);
    EXPECT_EQ(Type("floppy-720").rootEntries, 112);
    EXPECT_FALSE(Type("folder").IsFloppy());
    MediaType t;
    EXPECT_FALSE(FindMediaType("floppy-2.88", t));
}

TEST(DiskSpace, NamesTakeOneEntryOrMoreForALongName) {
    EXPECT_EQ(DirectoryEntriesFor("PROG.LZH"), 1);
    EXPECT_EQ(DirectoryEntriesFor("README"), 1);
    EXPECT_EQ(DirectoryEntriesFor("PROG.lzh"), 2) << "mixed case keeps a long name on some systems";
    EXPECT_EQ(DirectoryEntriesFor("Kavrel.exe"), 2);
    EXPECT_EQ(DirectoryEntriesFor("ABCDEFGHI.TXT"), 2);  // 13 units: one long entry
    EXPECT_EQ(DirectoryEntriesFor("ABCDEFGHIJ.TXT"), 3);
    EXPECT_EQ(DirectoryEntriesFor("ＡＢ.TXT"), 2);
    EXPECT_EQ(DirectoryEntriesFor("A.B.C"), 2);
}

TEST(DiskSpace, FilesTakeWholeClusters) {
    DiskUsage d(Type("floppy-1.44"));
    ASSERT_TRUE(d.TryAdd("A.TXT", 1));
    ASSERT_TRUE(d.TryAdd("B.TXT", 512));
    ASSERT_TRUE(d.TryAdd("C.TXT", 513));
    ASSERT_TRUE(d.TryAdd("EMPTY.TXT", 0));
    EXPECT_EQ(d.UsedBytes(), 4u * 512);
    EXPECT_EQ(d.FreeBytes(), 1457664u - 4 * 512);
    DiskUsage k(Type("floppy-720"));
    ASSERT_TRUE(k.TryAdd("A.TXT", 1));
    EXPECT_EQ(k.UsedBytes(), 1024u);
}

TEST(DiskSpace, AFullDiskTakesNoMoreAndTheLastClusterCounts) {
    DiskUsage d(Type("floppy-1.44"));
    ASSERT_TRUE(d.TryAdd("BIG.LZH", 1457664 - 512));
    EXPECT_FALSE(d.Fits("TWO.TXT", 513));
    EXPECT_TRUE(d.Fits("ONE.TXT", 512));
    EXPECT_FALSE(d.TryAdd("TWO.TXT", 513));
    EXPECT_EQ(d.FreeBytes(), 512u) << "a refused file leaves nothing behind";
}

TEST(DiskSpace, TheRootHoldsItsEntriesLessOneForTheLabel) {
    DiskUsage d(Type("floppy-720"));
    for (int i = 0; i < 111; ++i) ASSERT_TRUE(d.TryAdd("F" + std::to_string(i), 0)) << i;
    EXPECT_FALSE(d.TryAdd("ONEMORE", 0));
    EXPECT_FALSE(d.TryAdd("SUB/INSIDE", 0)) << "a folder needs a root entry too";
}

TEST(DiskSpace, ASubFolderTakesClustersForItsEntries) {
    DiskUsage d(Type("floppy-1.44"));
    ASSERT_TRUE(d.TryAdd("START_2/START12.LZH", 100));
    EXPECT_EQ(d.RootEntriesUsed(), 1);
    EXPECT_EQ(d.UsedBytes(), 2u * 512);  // the file's cluster and the folder's
    for (int i = 0; i < 13; ++i) ASSERT_TRUE(d.TryAdd("START_2/F" + std::to_string(i), 0));
    EXPECT_EQ(d.UsedBytes(), 2u * 512) << "16 entries with . and .. fill one cluster";
    ASSERT_TRUE(d.TryAdd("START_2/F13", 0));
    EXPECT_EQ(d.UsedBytes(), 3u * 512);
    EXPECT_EQ(d.RootEntriesUsed(), 1);
}

TEST(DiskSpace, AFolderMediumHasNoLimit) {
    DiskUsage d(Type("folder"));
    ASSERT_TRUE(d.TryAdd("HUGE.LZH", 5'000'000'000ull));
    EXPECT_FALSE(d.OverCapacity());
    EXPECT_EQ(d.UsedBytes(), 5'000'000'000ull);
    DiskUsage full(Type("floppy-720"));
    full.Add("BIG.BIN", 730112 + 1);  // a disk being checked may be over
    EXPECT_TRUE(full.OverCapacity());
    EXPECT_EQ(full.UsedBytes(), 730112u + 1024);
}

}  // namespace
}  // namespace kavrel::pack
