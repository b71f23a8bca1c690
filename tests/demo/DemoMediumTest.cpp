// Disk 1 of a floppy set carries Kavrel.exe, UNLHA32.dll, info.txt and the four pictures
// before any of the update: the demo's own files must leave a whole MiB of a 1.44 MB
// floppy to the update.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artwork/BitmapFile.h"
#include "artwork/BitmapRle.h"
#include "platform/Text.h"

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

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(KAVREL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    EXPECT_TRUE(in) << relative;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// demo/info.txt as scripts/demo puts it on the medium: code page 932, CR LF line ends.
std::string MediumInfoFile() {
    std::string cp932;
    EXPECT_TRUE(Utf8ToCp932(ReadSource("demo/info.txt"), cp932));
    std::string crlf;
    for (char c : cp932) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

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

TEST(DemoMedium, InfoFileAndPicturesLeaveRoomOnDiskOne) {
    EXPECT_EQ(146944u, kDescriptionAndArtworkBudget);
    const std::string info = MediumInfoFile();
    std::uint64_t total = OnFloppy(info.size());
    const std::vector<std::string> pictures = PictureNames(info);
    ASSERT_EQ(4u, pictures.size());
    for (const std::string& name : pictures) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadSource("demo/artwork/" + name);
        ASSERT_GT(bytes.size(), 54u);
        total += OnFloppy(bytes.size());
    }
    EXPECT_LE(total, kDescriptionAndArtworkBudget) << "info.txt and the pictures take " << total;
}

TEST(DemoMedium, PicturesAreEightBitRunLengthEncoded) {
    for (const std::string& name : PictureNames(MediumInfoFile())) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadSource("demo/artwork/" + name);
        const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                 bytes.size());
        EXPECT_EQ(8u, ReadU16(file, 14 + 14));
        EXPECT_EQ(kCompressionRle8, ReadU32(file, 14 + 16));
    }
}

}  // namespace
}  // namespace kavrel
