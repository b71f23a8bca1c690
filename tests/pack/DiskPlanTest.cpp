// Disks assigned in item order; archives that do not fit split into items of their
// own, each on one disk; per-system archives split so that every part has every system.
#include <gtest/gtest.h>

#include "pack/DiskPlan.h"
#include "tests/pack/PackSupport.h"

namespace kavrel::pack {
namespace {

using test::Messages;

constexpr std::uint64_t kDisk = 730112;  // floppy-720, 1 KiB clusters

MediaType Floppy720() {
    MediaType t;
    FindMediaType("floppy-720", t);
    return t;
}

std::vector<FixedFile> Kavrel(std::uint64_t size = 100 * 1024) {
    return {{"KAVREL.EXE", "k", size}, {"UNLHA32.DLL", "u", 50 * 1024}, {"info.txt", "i", 3000}};
}

PackItem Archive(const std::string& name, std::vector<std::uint64_t> costs, int line = 10) {
    PackItem item;
    item.kind = ItemKind::Archive;
    item.name = name;
    item.folder = "BIN\\";
    item.manifestLine = line;
    int n = 0;
    for (auto cost : costs) item.entries.push_back(PackEntry{"src" + std::to_string(n), "F" + std::to_string(n++), cost});
    return item;
}

PackItem File(const std::string& name, std::uint64_t size, int line = 20) {
    PackItem item;
    item.kind = ItemKind::File;
    item.name = name;
    item.folder = "DOC\\";
    item.source = "/src/" + name;
    item.size = size;
    item.manifestLine = line;
    return item;
}

TEST(DiskPlan, ItemsThatFitStayOnDiskOne) {
    DiskPlan plan;
    Diagnostics diags;
    ASSERT_TRUE(PlanDisks(Floppy720(), Kavrel(), {Archive("PROG", {1000, 2000}), File("README.TXT", 500)}, "m", plan,
                          diags)) << Messages(diags);
    ASSERT_EQ(plan.disks.size(), 1u);
    ASSERT_EQ(plan.lines.size(), 2u);
    EXPECT_EQ(plan.lines[0].disk, 1);
    EXPECT_EQ(plan.lines[0].name, "PROG");
    EXPECT_EQ(plan.lines[1].kind, kavrel::ItemKind::PlainFile);
    EXPECT_EQ(plan.disks[0].files.back().path, "README.TXT");
    EXPECT_EQ(plan.disks[0].files[3].path, "PROG.lzh");
    EXPECT_EQ(plan.disks[0].files[3].size, 3001u) << "entries and the end mark";
}

TEST(DiskPlan, AnArchiveThatDoesNotFitIsSplitInOrderOverDisks) {
    DiskPlan plan;
    Diagnostics diags;
    // Disk 1 has about 560 KB left; 4 x 300 KB entries need three disks.
    const std::uint64_t e = 300 * 1024;
    ASSERT_TRUE(PlanDisks(Floppy720(), Kavrel(), {Archive("DATA", {e, e, e, e}), File("LAST.TXT", 10)}, "m", plan,
                          diags)) << Messages(diags);
    ASSERT_EQ(plan.lines.size(), 4u);
    EXPECT_EQ(plan.lines[0].name, "DATA");
    EXPECT_EQ(plan.lines[0].disk, 1);
    EXPECT_EQ(plan.lines[1].name, "DATA_2");
    EXPECT_EQ(plan.lines[1].disk, 2);
    EXPECT_EQ(plan.lines[2].name, "DATA_3");
    EXPECT_EQ(plan.lines[2].disk, 3);
    EXPECT_EQ(plan.lines[3].disk, 3) << "the next item fills the last disk";
    for (const auto& line : plan.lines) EXPECT_EQ(line.folder, line.kind == kavrel::ItemKind::Archive ? "BIN\\" : "DOC\\");
    std::size_t entries = 0;
    for (const auto& disk : plan.disks) {
        EXPECT_FALSE(disk.usage.OverCapacity());
        for (const auto& f : disk.files) entries += f.entries.size();
    }
    EXPECT_EQ(entries, 4u) << "every entry once";
}

TEST(DiskPlan, AFileLargerThanADiskIsAnErrorNamingItsLine) {
    DiskPlan plan;
    Diagnostics diags;
    EXPECT_FALSE(PlanDisks(Floppy720(), Kavrel(), {File("HUGE.BIN", kDisk + 1, 33)}, "m", plan, diags));
    EXPECT_NE(Messages(diags).find("m:33: error: file /src/HUGE.BIN takes"), std::string::npos) << Messages(diags);
    Diagnostics d2;
    EXPECT_FALSE(PlanDisks(Floppy720(), Kavrel(), {Archive("A", {10, kDisk}, 44)}, "m", plan, d2));
    EXPECT_NE(Messages(d2).find("m:44: error:"), std::string::npos) << Messages(d2);
}

TEST(DiskPlan, AFileThatFillsADiskExactlyFits) {
    DiskPlan plan;
    Diagnostics diags;
    // A long name takes two root entries; the data area takes the whole disk.
    ASSERT_TRUE(PlanDisks(Floppy720(), Kavrel(), {File("FULL.BIN", kDisk)}, "m", plan, diags)) << Messages(diags);
    EXPECT_EQ(plan.lines[0].disk, 2);
    EXPECT_EQ(plan.disks[1].usage.FreeBytes(), 0u);
}

TEST(DiskPlan, PerSystemArchivesStayTogetherAndSplitWithEverySystemInEachPart) {
    PackItem start;
    start.kind = ItemKind::Start;
    start.name = "START";
    start.folder = "BIN\\";
    start.manifestLine = 50;
    const std::uint64_t e = 200 * 1024;
    start.systems[3] = {{"a", "A1", e}, {"b", "A2", e}, {"c", "A3", e}};
    start.systems[12] = {{"d", "B1", e}, {"e", "B2", e}};
    DiskPlan plan;
    Diagnostics diags;
    ASSERT_TRUE(PlanDisks(Floppy720(), Kavrel(), {start}, "m", plan, diags)) << Messages(diags);
    ASSERT_EQ(plan.lines.size(), 2u);
    EXPECT_EQ(plan.lines[0].name, "START");
    EXPECT_EQ(plan.lines[1].name, "START_2\\START") << "the file-name part stays START";
    EXPECT_LT(plan.lines[0].disk, plan.lines[1].disk);
    for (std::size_t k = 0; k < plan.lines.size(); ++k) {
        const auto& disk = plan.disks[plan.lines[k].disk - 1];
        const std::string dir = k == 0 ? "" : "START_2/";
        int systems = 0;
        for (const auto& f : disk.files) {
            if (f.path == dir + "START3.lzh" || f.path == dir + "START12.lzh") {
                EXPECT_FALSE(f.entries.empty());
                ++systems;
            }
        }
        EXPECT_EQ(systems, 2) << "part " << k + 1;
    }
}

TEST(DiskPlan, APerSystemSetThatCannotBeSplitEvenlyIsAnError) {
    PackItem start;
    start.kind = ItemKind::Start;
    start.name = "START";
    start.manifestLine = 60;
    start.systems[1] = {{"a", "A", kDisk - 20000}, {"b", "B", kDisk - 20000}};
    start.systems[2] = {{"c", "C", 100}};
    DiskPlan plan;
    Diagnostics diags;
    EXPECT_FALSE(PlanDisks(Floppy720(), Kavrel(), {start}, "m", plan, diags));
    EXPECT_NE(Messages(diags).find("m:60: error: the per-system archives"), std::string::npos) << Messages(diags);
}

TEST(DiskPlan, NamesThatWouldMisleadTheDiskPromptAreErrors) {
    DiskPlan plan;
    Diagnostics diags;
    // Plain file X on disk 2 is recognised by X.lzh too, which is an archive on disk 1.
    EXPECT_FALSE(PlanDisks(Floppy720(), Kavrel(), {Archive("X", {1000}, 5), File("BIG", 600 * 1024, 6), File("X", 10, 7)},
                           "m", plan, diags));
    EXPECT_NE(Messages(diags).find("m:7: error: item X on disk 2"), std::string::npos) << Messages(diags);
    Diagnostics d2;
    EXPECT_FALSE(PlanDisks(Floppy720(), Kavrel(), {File("INFO.TXT", 10, 8)}, "m", plan, d2));
    EXPECT_NE(Messages(d2).find("written twice"), std::string::npos) << Messages(d2);
}

}  // namespace
}  // namespace kavrel::pack
