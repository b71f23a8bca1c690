#include "e2e/KavrelFixture.h"

namespace kavrel::e2e {
namespace {

using StartupTest = KavrelTest;

TEST_F(StartupTest, MainWindowIsTitledFromLineOneBareAndMaximised) {
    auto lines = BlankInfoLines();
    lines[0] = "モルベーン 更新ディスク 表示";  // 表 and ソ-like bytes must survive
    ASSERT_TRUE(WriteInfo(medium_, lines));
    auto& kavrel = Start();
    const HWND frame = kavrel.WaitWindow(L"KavrelFrame", L"");
    ASSERT_NE(frame, nullptr);
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr) << "the intro page opens by itself";
    EXPECT_TRUE(WaitText(frame, lines[0])) << Text(frame);
    EXPECT_EQ(::GetMenu(frame), nullptr);
    EXPECT_TRUE(::IsZoomed(frame));
    const LONG style = ::GetWindowLongW(frame, GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);
    EXPECT_FALSE(::IsWindowEnabled(frame)) << "the page is modal to the main window";
    EXPECT_EQ(::GetWindow(intro, GW_OWNER), frame);

    Click(intro, IDCANCEL);
    EXPECT_EQ(kavrel.WaitExit(), kLeftBeforeTheRun);
}

TEST_F(StartupTest, WithoutInfoFileTheTitleIsEmptyAndTheWizardRuns) {
    auto& kavrel = Start();
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    const HWND frame = kavrel.WaitWindow(L"KavrelFrame", L"");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Text(frame), "");
    EXPECT_EQ(Text(intro), "アップデート");
    EXPECT_EQ(ControlText(intro, 1006), "");
    PressKey(intro, VK_ESCAPE);
    EXPECT_EQ(kavrel.WaitExit(), kLeftBeforeTheRun);
}

TEST_F(StartupTest, FromADriveRootTheMediumIsReadAtItsRoot) {
    // The floppy drive F: holds the medium at its root.
    const std::wstring root = L"F:";
    ASSERT_TRUE(FreshFolder(L"F:\\E2EROOT"));  // some other folder on the medium
    auto lines = BlankInfoLines();
    lines[0] = "ルートから";
    ASSERT_TRUE(WriteInfo(root, lines));
    ASSERT_TRUE(InstallKavrel(root));
    auto& kavrel = Start(root);
    const HWND frame = kavrel.WaitWindow(L"KavrelFrame", L"");
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(kavrel.WaitPage(kStart), nullptr);
    EXPECT_TRUE(WaitText(frame, "ルートから")) << Text(frame);
    ::DeleteFileW(L"F:\\info.txt");
}

}  // namespace
}  // namespace kavrel::e2e
