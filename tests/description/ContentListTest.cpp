// The content list is read strictly: a damaged list is a damaged medium, and the list is
// found only between a program's image and its certificate table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "description/ContentList.h"
#include "support/PeImage.h"

namespace kavrel {
namespace {

const std::string kDigest(64, 'a');

ContentList TwoFiles() {
    return ContentList{{{1, "info.txt", 705, kDigest}, {2, "SUB\\PART1.lzh", 0, std::string(64, '0')}}};
}

TEST(ContentList, ReadsBackWhatItWritesAndFindsNamesAsWindowsDoes) {
    const std::string text = FormatContentList(TwoFiles());
    EXPECT_EQ(text.size() % 8, 0u);
    ContentList read;
    ASSERT_TRUE(ParseContentList(text, read));
    ASSERT_EQ(read.files.size(), 2u);
    EXPECT_EQ(read.files[1].name, "SUB\\PART1.lzh");
    EXPECT_EQ(read.files[0].size, 705u);
    EXPECT_NE(FindContentFile(read, 2, "sub/part1.LZH"), nullptr);
    EXPECT_EQ(FindContentFile(read, 1, "sub/part1.LZH"), nullptr);
}

TEST(ContentList, RefusesWhatItWouldNotWrite) {
    const std::string head = "KAVREL-CONTENTS 1\n";
    for (const std::string& text : {
             head,                                              // no end
             head + "1\t5\t" + kDigest + "\tA.TXT\n",           // no end after a line
             head + "1\t5\t" + kDigest + "\tA.TXT\nend\nX",     // something after the padding
             head + "0\t5\t" + kDigest + "\tA.TXT\nend\n",      // disk 0
             head + "1\t05\t" + kDigest + "\tA.TXT\nend\n",     // a number with a leading zero
             head + "1\t5\tABC\tA.TXT\nend\n",                  // not a digest
             head + "1\t5\t" + kDigest + "\t..\\WIN.INI\nend\n",  // outside the disk
             head + "1\t5\t" + kDigest + "\tC:\\WIN.INI\nend\n",
             head + "1\t5\t" + kDigest + "\tA.TXT\n1\t6\t" + kDigest + "\ta.txt\nend\n",  // named twice
             std::string("KAVREL-CONTENTS 2\nend\n"),
         }) {
        ContentList list;
        EXPECT_FALSE(ParseContentList(text, list)) << text;
    }
}

TEST(ContentList, IsFoundBetweenTheImageAndTheCertificateTable) {
    const std::string list = FormatContentList(TwoFiles());
    struct Case {
        std::string image;
        int found;
        bool signedImage;
    } cases[] = {
        {test::PeImageWith(""), 0, false},
        {test::PeImageWith(list), 1, false},
        {test::PeImageWith(list, std::string(16, '\x30')), 1, true},
        {test::PeImageWith("someone else's overlay"), 0, false},
        {test::PeImageWith(list.substr(0, 40)), -1, false},
        {"MZ not a program", -1, false},
    };
    for (const Case& c : cases) {
        ContentList read;
        EXPECT_EQ(ReadContentListOf(c.image, read), c.found) << c.image.size();
        PeOverlay overlay;
        EXPECT_EQ(FindPeOverlay(c.image, overlay) && overlay.certificateOffset != 0, c.signedImage);
    }
    // A certificate table that claims more than the file holds.
    std::string cut = test::PeImageWith(list, std::string(16, '\x30'));
    cut.resize(cut.size() - 8);
    PeOverlay overlay;
    EXPECT_FALSE(FindPeOverlay(cut, overlay));
}

}  // namespace
}  // namespace kavrel
