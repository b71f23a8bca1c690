#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "description/InfoFile.h"
#include "tests/description/InfoFileSupport.h"

namespace kavrel {
namespace {

using test::InfoWithItems;
using test::ReadInfo;

struct Item {
    int disk;
    int kind;
    std::string name;
    std::string subfolder;
};

struct ItemCase {
    const char* name;
    std::string tail;  // what follows the 41 fixed lines
    std::vector<Item> items;
};

TEST(InfoFileItems, ScanRules) {
    const ItemCase cases[] = {
        {"START with sub-folder", "2,1,start,Sub\\\r\n", {{2, 1, "START", "Sub\\"}}},
        {"five fields: the fifth is ignored", "1,2,a.dll,Bin\\,extra\r\n",
         {{1, 2, "A.DLL", "Bin\\"}}},
        {"two commas in a row carry fields 2-4 over",
         "1,1,first,One\\\r\n3,,second,Two\\\r\n",
         {{1, 1, "FIRST", "One\\"}, {3, 1, "FIRST", "One\\"}}},
        {"empty first field carries everything over", "1,1,a,A\\\r\n,2,b,B\\\r\n",
         {{1, 1, "A", "A\\"}, {1, 1, "A", "A\\"}}},
        {"missing field 4 keeps the previous sub-folder", "1,1,a,A\\\r\n2,0,b\r\n",
         {{1, 1, "A", "A\\"}, {2, 0, "B", "A\\"}}},
        {"trailing comma: empty field 4 carries over", "1,1,a,A\\\r\n2,0,b,\r\n",
         {{1, 1, "A", "A\\"}, {2, 0, "B", "A\\"}}},
        {"final empty line repeats the item before", "1,1,a,A\\\r\n\r\n",
         {{1, 1, "A", "A\\"}, {1, 1, "A", "A\\"}}},
        {"empty first line: nothing to carry, all empty", "\r\n1,1,a,A\\\r\n",
         {{0, 0, "", ""}, {1, 1, "A", "A\\"}}},
        {"spaces belong to the fields", " 4 , 1 , my file , Sub \\\r\n",
         {{4, 1, " MY FILE ", " Sub \\"}}},
        {"no final line break", "1,1,a,A\\\r\n2,2,b,B\\", {{1, 1, "A", "A\\"}, {2, 2, "B", "B\\"}}},
        {"LF alone ends a line too", "1,1,a,A\\\n2,2,b,B\\\n",
         {{1, 1, "A", "A\\"}, {2, 2, "B", "B\\"}}},
        {"non-numeric disk and kind are 0", "x,y,z,w\r\n", {{0, 0, "Z", "w"}}},
        {"sub-folder keeps its case, name is upper-cased",
         "1,2,MixedCase.Txt,MiXed\\\r\n", {{1, 2, "MIXEDCASE.TXT", "MiXed\\"}}},
        {"upper-casing leaves double-byte characters alone",
         "1,2,\x83\x74\x83\x48\x83\x8B\x83\x5F\\abc,\x83\x74\\\r\n",  // フォルダ: trail 't'
         {{1, 2, "フォルダ\\ABC", "フ\\"}}},
        {"long fields are kept whole",
         "12345678901234567890123456789012345,1," + std::string(200, 'n') + "," +
             std::string(200, 's') + "\r\n",
         {{2147483647, 1, std::string(200, 'N'), std::string(200, 's')}}},
        {"a lone CR stays in the field", "1,1,a\rb,S\\\r\n", {{1, 1, "A\rB", "S\\"}}},
    };
    for (const auto& c : cases) {
        const auto r = ReadInfo(InfoWithItems({}) + c.tail);
        ASSERT_EQ(r.result, 1) << c.name;
        ASSERT_EQ(std::ssize(r.desc.m_items), static_cast<int>(c.items.size())) << c.name;
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            EXPECT_EQ(r.desc.m_items[i].disk, c.items[i].disk) << c.name << " item " << i;
            EXPECT_EQ(r.desc.m_items[i].kind, ItemKindOfField(c.items[i].kind)) << c.name << " item " << i;
            EXPECT_EQ(r.desc.m_items[i].name, c.items[i].name) << c.name << " item " << i;
            EXPECT_EQ(r.desc.m_items[i].subfolder, c.items[i].subfolder) << c.name << " item " << i;
        }
    }
}

struct NumberCase {
    std::string text;
    int value;
};

TEST(InfoFileItems, NumbersAreReadLikeAtoi) {
    const NumberCase cases[] = {
        {"x", 0}, {"12", 12}, {" \t12abc", 12}, {"+3", 3}, {"-3", -3}, {"- 3", 0}, {"0x10", 0},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", 2147483647}, {"99999999999999999999999", 2147483647},
        {"-99999999999999999999999", -2147483647 - 1}, {"\x82\x50", 0} /* full-width 1 */,
    };
    for (const auto& c : cases) {
        const auto r = ReadInfo(InfoWithItems({c.text + ",1,n,s", "0," + c.text + ",n,s"}));
        ASSERT_EQ(std::ssize(r.desc.m_items), 2);
        EXPECT_EQ(r.desc.m_items[0].disk, c.value) << c.text;
        EXPECT_EQ(r.desc.m_items[1].kind, ItemKindOfField(c.value)) << c.text;
    }
}

TEST(InfoFileItems, MoreThanAHundredLinesAreIgnored) {
    std::vector<std::string> items;
    for (int i = 0; i < 150; ++i) {
        std::string line = std::to_string(i);
        line += ",1,n";
        line += std::to_string(i);
        line += ",S\\";
        items.push_back(line);
    }
    const auto r = ReadInfo(InfoWithItems(items));
    ASSERT_EQ(std::ssize(r.desc.m_items), kMaxItems);
    EXPECT_EQ(r.desc.m_items[99].disk, 99);
    EXPECT_EQ(r.desc.m_items[99].name, "N99");
}

TEST(InfoFileItems, AHundredThousandLinesStayBounded) {
    std::string tail;
    for (int i = 0; i < 100000; ++i) tail += "1,1,x,y\r\n";
    const auto r = ReadInfo(InfoWithItems({}) + tail);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(std::ssize(r.desc.m_items), kMaxItems);
}

TEST(InfoFileItems, ReadingAgainStartsAfresh) {
    test::MemoryFiles platform;
    platform.AddFile(test::kMedium + "info.txt", InfoWithItems({"1,1,a,A\\", "2,2,b,B\\"}));
    UpdateDescription d;
    ASSERT_EQ(ReadInfoFile(platform, test::kMedium, d), 1);
    ASSERT_EQ(ReadInfoFile(platform, test::kMedium, d), 1);
    EXPECT_EQ(std::ssize(d.m_items), 2);
}

}  // namespace
}  // namespace kavrel
