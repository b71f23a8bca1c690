#include <algorithm>

#include "e2e/KavrelFixture.h"

namespace kavrel::e2e {
namespace {

constexpr int kDriveList = 1002;
constexpr int kFolderList = 1003;
constexpr int kPath = 1005;
constexpr int kText = 1006;
constexpr int kBack = 1008;

class PagesTest : public KavrelTest {
protected:
    // An installation-like tree on E: to browse.
    void SetUp() override {
        KavrelTest::SetUp();
        ASSERT_TRUE(FreshFolder(L"E:\\BROWSE\\sub1\\deeper"));
        ASSERT_TRUE(MakeFolders(L"E:\\BROWSE\\アップデート先"));
        ASSERT_TRUE(MakeFolders(L"E:\\BROWSE\\[odd]"));
        ASSERT_TRUE(WriteBytes(L"E:\\BROWSE\\file.txt", "x"));
        lines_ = BlankInfoLines();
        lines_[15] = "C:\\MORVANE\\";
        lines_[17] = "1";
        lines_[24] = "注意\tXその二";
        lines_[25] = "インストール先を選んでください。";
    }

    HWND ToDestination(KavrelProcess& kavrel) {
        const HWND intro = kavrel.WaitPage(kStart);
        if (intro == nullptr) return nullptr;
        PressKey(::GetDlgItem(intro, IDOK), VK_RETURN);
        return kavrel.WaitPage(kNext);
    }

    std::vector<std::string> lines_;
};

TEST_F(PagesTest, IntroTitleFollowsLine18) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "アップデート"}, {"", "アップデート"}, {"word", "アップデート"}, {"1", "マスタ調整機能付"},
    };
    for (const auto& [flag, title] : cases) {
        lines_[17] = flag;
        ASSERT_TRUE(WriteInfo(medium_, lines_));
        auto& kavrel = Start();
        const HWND intro = kavrel.WaitPage(kStart);
        ASSERT_NE(intro, nullptr);
        EXPECT_EQ(Text(intro), title) << "line 18 = " << flag;
        Click(intro, IDCANCEL);
        EXPECT_EQ(kavrel.WaitExit(), kLeftBeforeTheRun);
    }
}

TEST_F(PagesTest, IntroShowsNotesWithLineBreaksAndTheFixedTexts) {
    ASSERT_TRUE(WriteInfo(medium_, lines_));
    auto& kavrel = Start();
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(ControlText(intro, kText), "注意\r\nその二");
    EXPECT_EQ(ControlText(intro, IDCANCEL), "取消");
    const LONG style = ::GetWindowLongW(::GetDlgItem(intro, kText), GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
}

TEST_F(PagesTest, DestinationOpensWithLine16AndBrowsesDrivesAndFolders) {
    ASSERT_TRUE(WriteInfo(medium_, lines_));
    auto& kavrel = Start();
    const HWND dest = ToDestination(kavrel);
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(ControlText(dest, kPath), "C:\\MORVANE\\");
    EXPECT_EQ(ControlText(dest, kText), "インストール先を選んでください。");
    EXPECT_TRUE(ListItems(dest, kFolderList).empty());
    const auto drives = ListItems(dest, kDriveList);
    EXPECT_NE(std::find(drives.begin(), drives.end(), "[-e-]"), drives.end());
    EXPECT_EQ(ListSelection(dest, kDriveList), -1);

    ASSERT_TRUE(SelectListItem(dest, kDriveList, "[-e-]"));
    ASSERT_TRUE(WaitControlText(dest, kPath, "e:\\"));
    auto folders = ListItems(dest, kFolderList);
    EXPECT_NE(std::find(folders.begin(), folders.end(), "[..]"), folders.end());
    EXPECT_NE(std::find(folders.begin(), folders.end(), "[BROWSE]"), folders.end());

    ASSERT_TRUE(SelectListItem(dest, kFolderList, "[BROWSE]"));
    ASSERT_TRUE(WaitControlText(dest, kPath, "e:\\BROWSE")) << ControlText(dest, kPath);
    folders = ListItems(dest, kFolderList);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"[..]", "[[odd]]", "[sub1]", "[アップデート先]"}))
        << "folders only, never files";
    EXPECT_EQ(ListSelection(dest, kFolderList), -1);

    ASSERT_TRUE(SelectListItem(dest, kFolderList, "[アップデート先]"));
    EXPECT_TRUE(WaitControlText(dest, kPath, "e:\\BROWSE\\アップデート先")) << ControlText(dest, kPath);
    ASSERT_TRUE(SelectListItem(dest, kFolderList, "[..]"));
    EXPECT_TRUE(WaitControlText(dest, kPath, "e:\\BROWSE")) << ControlText(dest, kPath);
    ASSERT_TRUE(SelectListItem(dest, kFolderList, "[[odd]]"));
    EXPECT_TRUE(WaitControlText(dest, kPath, "e:\\BROWSE\\[odd]")) << ControlText(dest, kPath);
}

TEST_F(PagesTest, BackAndEscapeReturnToTheIntroWhereEscapeEnds) {
    ASSERT_TRUE(WriteInfo(medium_, lines_));
    auto& kavrel = Start();
    HWND dest = ToDestination(kavrel);
    ASSERT_NE(dest, nullptr);
    SetControlText(dest, kPath, "typed but not taken");
    Click(dest, kBack);
    HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    PressKey(::GetDlgItem(intro, IDOK), VK_RETURN);
    dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(ControlText(dest, kPath), "C:\\MORVANE\\") << "Back keeps the folder handed in";
    PressKey(::GetDlgItem(dest, IDOK), VK_ESCAPE);
    intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr) << "Escape on the destination page goes back to the intro";
    PressKey(::GetDlgItem(intro, IDOK), VK_ESCAPE);
    EXPECT_EQ(kavrel.WaitExit(), kLeftBeforeTheRun);
}

TEST_F(PagesTest, NextKeepsTheTypedFolderForTheNextVisit) {
    ASSERT_TRUE(WriteInfo(medium_, lines_));
    auto& kavrel = Start();
    HWND dest = ToDestination(kavrel);
    ASSERT_NE(dest, nullptr);
    const std::string typed = "  E:\\BROWSE\\アップデート先\\\\ nonsense ";
    SetControlText(dest, kPath, typed);
    Click(dest, IDOK);
    const HWND confirm = kavrel.WaitPage(kUpdate);
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(ControlText(confirm, kText), typed) << "the folder as typed, unexamined";
    Click(confirm, IDCANCEL);
    dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(ControlText(dest, kPath), typed);
}

}  // namespace
}  // namespace kavrel::e2e
