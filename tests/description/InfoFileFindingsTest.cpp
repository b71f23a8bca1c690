// What the reader reports to a vendor's check, line by line, while the record it fills
// stays exactly what the wizard gets.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "description/InfoFile.h"
#include "tests/description/InfoFileSupport.h"

namespace kavrel {
namespace {

using test::FixedLines;
using test::InfoWithItems;
using test::Join;

struct Recorder : InfoReadObserver {
    std::vector<InfoReadEvent> events;
    std::vector<std::pair<int, int>> items;  // index, line
    void OnItemLine(int index, int line, std::string_view) override { items.emplace_back(index, line); }
    void OnFinding(const InfoReadEvent& e) override { events.push_back(e); }

    std::vector<int> LinesOf(InfoFinding f) const {
        std::vector<int> lines;
        for (const auto& e : events) {
            if (e.finding == f) lines.push_back(e.line);
        }
        return lines;
    }
};

struct Observed {
    UpdateDescription plain;
    UpdateDescription observed;
    Recorder recorder;
};

Observed Read(const std::string& content) {
    test::MemoryFiles platform;
    platform.AddFile(test::kMedium + "info.txt", content);
    Observed o;
    EXPECT_EQ(ReadInfoFile(platform, test::kMedium, o.plain), 1);
    EXPECT_EQ(ReadInfoFile(platform, test::kMedium, o.observed, &o.recorder), 1);
    // The observer changes nothing the wizard sees.
    EXPECT_EQ(std::ssize(o.plain.m_items), std::ssize(o.observed.m_items));
    for (int i = 0; i < std::ssize(o.plain.m_items); ++i) {
        EXPECT_EQ(o.plain.m_items[i].name, o.observed.m_items[i].name);
        EXPECT_EQ(o.plain.m_items[i].disk, o.observed.m_items[i].disk);
    }
    EXPECT_EQ(o.plain.m_strIntroNotes, o.observed.m_strIntroNotes);
    return o;
}

TEST(InfoFileFindings, ACleanFileReportsItsItemLinesAndNothingElse) {
    const auto o = Read(InfoWithItems({"1,1,PROG,BIN\\", "2,0,README.TXT,DOC\\"}));
    EXPECT_TRUE(o.recorder.events.empty());
    EXPECT_EQ(o.recorder.items, (std::vector<std::pair<int, int>>{{0, 42}, {1, 43}}));
}

TEST(InfoFileFindings, EncodingFaultsNameTheirLine) {
    auto lines = FixedLines();
    lines[24] = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88";        // テスト saved as UTF-8
    lines[25] = "\x83\x65\x83\x58\x83\x67";                    // テスト in code page 932: fine
    lines[0] = "ok\xFDthen";                                   // a byte no character starts with
    lines[1] = "cut\x82";                                      // a lead byte at the end
    lines.push_back("1,1,A\xA0,X\\");                           // in an item line too
    const auto o = Read(Join(lines));
    EXPECT_EQ(o.recorder.LinesOf(InfoFinding::Utf8Text), std::vector<int>{25});
    EXPECT_EQ(o.recorder.LinesOf(InfoFinding::NotCp932), (std::vector<int>{1, 2, 42}));
    EXPECT_EQ(o.recorder.events[0].offset, 2u);
}

TEST(InfoFileFindings, Cp932TellsDefinedFromUndefinedPairs) {
    EXPECT_EQ(FindNonCp932("\x82\xA0\x8A\xBF\xB1"), std::string_view::npos);  // あ漢ｱ
    EXPECT_EQ(FindNonCp932("\x81\x45"), std::string_view::npos);  // the middle dot itself
    EXPECT_EQ(FindNonCp932("\xED\x40\xFA\x5C"), std::string_view::npos);  // both codes of one kanji
    EXPECT_EQ(FindNonCp932("a\x85\x40"), 1u);   // an empty row
    EXPECT_EQ(FindNonCp932("ab\x82\x0A"), 2u);  // no trail byte
    EXPECT_EQ(FindNonCp932("\x80"), 0u);
    EXPECT_FALSE(LooksLikeUtf8("plain ASCII"));
    EXPECT_FALSE(LooksLikeUtf8("\x83\x65\x83\x58\x83\x67"));
    EXPECT_TRUE(LooksLikeUtf8("caf\xC3\xA9"));
    EXPECT_FALSE(LooksLikeUtf8("\xC3\xA9\xC3"));  // broken at the end: not UTF-8
}

TEST(InfoFileFindings, EmptyItemLinesAreToldApartFromAStrayFinalLineBreak) {
    const auto o = Read(InfoWithItems({"1,1,PROG,BIN\\", "", "1,1,DATA,DATA\\", ""}));
    EXPECT_EQ(o.recorder.LinesOf(InfoFinding::EmptyItemLine), std::vector<int>{43});
    EXPECT_EQ(o.recorder.LinesOf(InfoFinding::TrailingEmptyLine), std::vector<int>{45});
    EXPECT_EQ(std::ssize(o.observed.m_items), 4);
    EXPECT_EQ(o.observed.m_items[3].name, "DATA");  // the repeat the wizard would install
}

TEST(InfoFileFindings, ItemsPastTheTableAreReportedOnceAndNotRead) {
    std::vector<std::string> items;
    for (int i = 0; i < 103; ++i) items.push_back("1,1,A" + std::to_string(i) + ",X\\");
    const auto o = Read(InfoWithItems(items));
    EXPECT_EQ(std::ssize(o.observed.m_items), 100);
    EXPECT_EQ(o.recorder.items.size(), 100u);
    EXPECT_EQ(o.recorder.LinesOf(InfoFinding::ItemBeyondTable), std::vector<int>{142});
    EXPECT_TRUE(o.recorder.LinesOf(InfoFinding::TrailingEmptyLine).empty());
}

TEST(InfoFileFindings, ExactlyAHundredItemsIsNoFinding) {
    std::vector<std::string> items(100, "1,1,A,X\\");
    const auto o = Read(InfoWithItems(items));
    EXPECT_TRUE(o.recorder.events.empty());
}

TEST(InfoFileFindings, AShortFileSaysHowManyLinesItHas) {
    auto lines = FixedLines();
    lines.resize(30);
    const auto o = Read(Join(lines));
    EXPECT_EQ(o.recorder.LinesOf(InfoFinding::ShortFile), std::vector<int>{30});
    EXPECT_TRUE(o.recorder.items.empty());
}

TEST(InfoFileFindings, ANulCutsTheLineWhereTheWizardCutsIt) {
    auto lines = FixedLines();
    lines[16] = std::string("V6.1\0junk", 9);
    const auto o = Read(Join(lines));
    ASSERT_EQ(o.recorder.LinesOf(InfoFinding::NulByte), std::vector<int>{17});
    EXPECT_EQ(o.recorder.events[0].offset, 4u);
    EXPECT_EQ(o.observed.m_strTargetVersion, "V6.1");
}

}  // namespace
}  // namespace kavrel
