// Disk 1 of a floppy set carries Kavrel.exe, UNLHA32.dll, info.txt and the four pictures
// before any of the update: the demo's own files must leave a whole MiB of a 1.44 MB
// floppy to the update. Measured on the medium kavrel-pack builds from demo/update.toml,
// as scripts/demo builds it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "artwork/BitmapFile.h"
#include "artwork/BitmapRle.h"
#include "pack/Files.h"
#include "pack/MediumBuilder.h"
#include "tests/support/PeImage.h"

namespace kavrel {
namespace {

// A 1.44 MB floppy (FAT12) gives files whole clusters of 512 bytes.
constexpr std::uint64_t kCluster = 512;
constexpr std::uint64_t kFloppy = 1457664;
// Left to the update itself on disk 1.
constexpr std::uint64_t kUpdateRoom = 1024 * 1024;
// What Kavrel.exe and UNLHA32.dll may take together.
constexpr std::uint64_t kProgramsBudget = 262144;
// So info.txt and the four pictures get what is left: 146,944 bytes.
constexpr std::uint64_t kDescriptionAndArtworkBudget = kFloppy - kUpdateRoom - kProgramsBudget;

std::uint64_t OnFloppy(std::uint64_t size) { return (size + kCluster - 1) / kCluster * kCluster; }

// Lines 21 to 24 of info.txt: the view's picture, then the three pages'.
std::vector<std::string> PictureNames(const std::string& info) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : info) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (lines.size() < 24) return {};
    return {lines.begin() + 20, lines.begin() + 24};
}

class DemoMedium : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.Ok());
        // Stand-ins for the programs, which have a budget and a size check of their own,
        // where the demo's manifest takes them from: dist/win32, what vendors ship.
        ASSERT_TRUE(pack::MakeFolders(temp_.Path() + "/dist/win32"));
        for (const char* program : {"Kavrel.exe", "UNLHA32.dll"}) {
            ASSERT_TRUE(pack::WriteWholeFile(temp_.Path() + "/dist/win32/" + program, test::StubProgram(1024)));
        }
        pack::BuildOptions options;
        options.manifest = std::string(KAVREL_SOURCE_DIR) + "/demo/update.toml";
        options.out = Medium();
        options.distRoots = {temp_.Path() + "/dist"};
        pack::BuildResult result;
        pack::Diagnostics diags;
        ASSERT_TRUE(pack::BuildMedium(options, result, diags));
        ASSERT_TRUE(pack::ReadWholeFile(Medium() + "/info.txt", info_));
    }

    std::string Medium() const { return temp_.Path() + "/medium"; }

    pack::TemporaryFolder temp_;
    std::string info_;
};

TEST_F(DemoMedium, InfoFileAndPicturesLeaveRoomOnDiskOne) {
    EXPECT_EQ(146944u, kDescriptionAndArtworkBudget);
    std::uint64_t total = OnFloppy(info_.size());
    const std::vector<std::string> pictures = PictureNames(info_);
    ASSERT_EQ(4u, pictures.size());
    for (const std::string& name : pictures) {
        SCOPED_TRACE(name);
        std::string bytes;
        ASSERT_TRUE(pack::ReadWholeFile(Medium() + "/" + name, bytes));
        ASSERT_GT(bytes.size(), 54u);
        total += OnFloppy(bytes.size());
    }
    EXPECT_LE(total, kDescriptionAndArtworkBudget) << "info.txt and the pictures take " << total;
}

TEST_F(DemoMedium, PicturesAreEightBitRunLengthEncoded) {
    for (const std::string& name : PictureNames(info_)) {
        SCOPED_TRACE(name);
        std::string bytes;
        ASSERT_TRUE(pack::ReadWholeFile(Medium() + "/" + name, bytes));
        const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                 bytes.size());
        EXPECT_EQ(8u, ReadU16(file, 14 + 14));
        EXPECT_EQ(kCompressionRle8, ReadU32(file, 14 + 16));
    }
}

}  // namespace
}  // namespace kavrel
