#include <gtest/gtest.h>

#include "support/MemoryFiles.h"
#include "wizard/FolderCollection.h"
#include "description/TextNumber.h"

namespace kavrel {
namespace {

TEST(CollectSubfolders, ParentFirstThenFoldersOnlyInSearchOrder) {
    test::MemoryFiles p;
    p.AddFolder("D:\\DATA\\zeta");
    p.AddFile("D:\\DATA\\readme.txt");
    p.AddFolder("D:\\DATA\\.hidden");
    p.AddFolder("D:\\DATA\\alpha");
    const auto names = CollectSubfolders(p, "D:\\DATA\\*.*");
    EXPECT_EQ(names, (std::vector<std::string>{"..", "zeta", ".hidden", "alpha"}));
}

TEST(CollectSubfolders, NothingFoundStillGivesTheParentEntry) {
    test::MemoryFiles p;
    EXPECT_EQ(CollectSubfolders(p, "Q:\\gone\\*.*"), std::vector<std::string>{".."});
    p.AddFolder("D:\\EMPTY");
    EXPECT_EQ(CollectSubfolders(p, "D:\\EMPTY\\*.*"), std::vector<std::string>{".."});
}

TEST(CollectSubfolders, ListsEveryFolderBeyondAThousand) {
    test::MemoryFiles p;
    for (int i = 0; i < 1500; ++i) p.AddFolder("D:\\BIG\\f" + std::to_string(i));
    const auto names = CollectSubfolders(p, "D:\\BIG\\*.*");
    ASSERT_EQ(names.size(), 1501u);
    EXPECT_EQ(names.back(), "f1499");
}

TEST(FolderEntry, RoundTripsNamesWithBracketsAndJapanese) {
    const std::string names[] = {"data", "[x]", "a]b", "[", "アップデート", std::string(300, 'n'), ".."};
    for (const std::string& name : names) {
        EXPECT_EQ(FolderNameFromEntry(FolderEntry(name)), name) << name;
    }
    EXPECT_EQ(FolderNameFromEntry(""), "");
    EXPECT_EQ(FolderNameFromEntry("["), "");
}

TEST(AtoiLike, ReadsNumbersAsTheCRuntimeDoes) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0}, {"", 0}, {"word", 0}, {"1", 1}, {"  12abc", 12}, {"-3", -3}, {"+4", 4},
        {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(AtoiLike(text), value) << text;
}

}  // namespace
}  // namespace kavrel
