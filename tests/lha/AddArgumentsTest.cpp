// kavrel-lha a: its switches and where named files go in the archive.
#include <gtest/gtest.h>

#include "lha/tool/AddArguments.h"

namespace kavrel::lha {
namespace {

AddArguments Parse(const std::vector<std::string>& args) {
    AddArguments out;
    std::string error;
    EXPECT_TRUE(ParseAddArguments(args, out, error)) << error;
    return out;
}

std::string Refusal(const std::vector<std::string>& args) {
    AddArguments out;
    std::string error;
    EXPECT_FALSE(ParseAddArguments(args, out, error));
    return error;
}

TEST(AddArguments, DefaultsAreLh7AtTheDefaultLevelWithLevel2Headers) {
    const AddArguments a = Parse({"out.lzh", "file.txt", "dir"});
    EXPECT_EQ(a.options.method, Method::Lh7);
    EXPECT_EQ(a.options.level, 0);
    EXPECT_EQ(a.options.headerLevel, 2);
    EXPECT_FALSE(a.options.reproducible);
    EXPECT_EQ(a.archive, "out.lzh");
    ASSERT_EQ(a.entries.size(), 2u);
    EXPECT_EQ(a.entries[1].sourcePath, "dir");
    EXPECT_EQ(a.entries[1].storedPath, "dir");
}

TEST(AddArguments, SwitchesBeforeTheArchive) {
    const AddArguments a = Parse({"-lh5", "-9", "-h1", "--reproducible", "out.lzh", "-lh6"});
    EXPECT_EQ(a.options.method, Method::Lh5);
    EXPECT_EQ(a.options.level, 9);
    EXPECT_EQ(a.options.headerLevel, 1);
    EXPECT_TRUE(a.options.reproducible);
    // After the archive everything is a file, even what looks like a switch.
    ASSERT_EQ(a.entries.size(), 1u);
    EXPECT_EQ(a.entries[0].sourcePath, "-lh6");
    EXPECT_EQ(Parse({"-lh0", "a.lzh", "x"}).options.method, Method::Stored);
    EXPECT_EQ(Parse({"-lh6", "-1", "a.lzh", "x"}).options.level, 1);
    EXPECT_EQ(Parse({"--", "-odd.lzh", "x"}).archive, "-odd.lzh");
}

TEST(AddArguments, UnknownRepeatedOrMissingPartsAreRefused) {
    EXPECT_NE(Refusal({"-lh4", "a.lzh", "x"}).find("unknown switch: -lh4"), std::string::npos);
    EXPECT_NE(Refusal({"-0", "a.lzh", "x"}).find("unknown switch"), std::string::npos);
    EXPECT_NE(Refusal({"-10", "a.lzh", "x"}).find("unknown switch"), std::string::npos);
    EXPECT_NE(Refusal({"-h3", "a.lzh", "x"}).find("unknown switch"), std::string::npos);
    EXPECT_NE(Refusal({"-lh5", "-lh7", "a.lzh", "x"}).find("twice"), std::string::npos);
    EXPECT_NE(Refusal({"-1", "-9", "a.lzh", "x"}).find("twice"), std::string::npos);
    EXPECT_NE(Refusal({}).find("no archive"), std::string::npos);
    EXPECT_NE(Refusal({"-9"}).find("no archive"), std::string::npos);
    EXPECT_NE(Refusal({"a.lzh"}).find("no file"), std::string::npos);
}

TEST(AddArguments, StoredPathsAreRelativeAndClean) {
    EXPECT_EQ(StoredPathFor("file.txt"), "file.txt");
    EXPECT_EQ(StoredPathFor("./dir//sub/"), "dir/sub");
    EXPECT_EQ(StoredPathFor("dir\\sub\\f.txt"), "dir/sub/f.txt");
    EXPECT_EQ(StoredPathFor("/home/vendor/data"), "data");
    EXPECT_EQ(StoredPathFor("../data/f.txt"), "f.txt");
    EXPECT_EQ(StoredPathFor("a/../b"), "b");
    EXPECT_EQ(StoredPathFor("C:\\Work\\medium\\"), "medium");
    EXPECT_EQ(StoredPathFor("."), "");
    EXPECT_EQ(StoredPathFor("dir/."), "");
    EXPECT_EQ(StoredPathFor("/"), "");
    EXPECT_EQ(StoredPathFor("日本語/ソース.txt"), "日本語/ソース.txt");
}

}  // namespace
}  // namespace kavrel::lha
