// The Win32 message boxes and wait cursor, on real windows (needs a display).
#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/Win32Dialogue.h"
#include "platform/win32/Win32Text.h"
#include "support/FakeSeams.h"
#include "update/Win32MessagePresser.h"

namespace kavrel::test {
namespace {

class Win32UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = ::CreateWindowExW(0, L"STATIC", L"Kavrel owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        platform.SetOwner(owner_);
    }
    void TearDown() override { ::DestroyWindow(owner_); }

    test::RecordingLog log;
    Win32Dialogue platform{log};
    HWND owner_ = nullptr;
};

struct BoxCase {
    MessageButtons buttons;
    int press;
    MessageAnswer answer;
    std::vector<int> shown;
};

TEST_F(Win32UiTest, MessageBoxesCarryTheTextButtonsAndOwner) {
    const std::vector<BoxCase> cases = {
        {MessageButtons::Ok, IDOK, MessageAnswer::Ok, {IDOK}},
        {MessageButtons::OkCancel, IDOK, MessageAnswer::Ok, {IDOK, IDCANCEL}},
        {MessageButtons::OkCancel, IDCANCEL, MessageAnswer::Cancel, {IDOK, IDCANCEL}},
    };
    for (const auto& c : cases) {
        SeenBox seen;
        std::thread presser([&] { seen = PressWhenShown(L"確認", c.press); });
        const MessageAnswer answer = platform.ShowMessage("2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。", "確認", c.buttons);
        presser.join();
        ASSERT_TRUE(seen.found) << "instead: " << Narrow(seen.other);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(seen.text, L"2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");
        EXPECT_EQ(seen.owner, owner_);
        EXPECT_FALSE(seen.iconShown);
        EXPECT_EQ(seen.buttons, c.shown);
    }
}

TEST_F(Win32UiTest, NestedWaitCursorsUnwindInOrder) {
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
    ::SetCursor(arrow);
    {
        const auto outer = platform.BeginWaitCursor();
        EXPECT_EQ(::GetCursor(), wait);
        {
            const auto inner = platform.BeginWaitCursor();
            EXPECT_EQ(::GetCursor(), wait);
        }
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_EQ(::GetCursor(), arrow);
}

// A message box's own loop shows the arrow over it; the run's wait cursor must come back
// once the box is answered, for the rest of the run.
TEST_F(Win32UiTest, WaitCursorComesBackAfterEachMessageBox) {
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
    ::SetCursor(arrow);
    {
        const auto cursor = platform.BeginWaitCursor();
        for (int box = 0; box < 2; ++box) {
            std::thread presser([&] { PressWhenShown(L"確認", IDOK); });
            // What the box's loop leaves behind when the mouse rests over it.
            ::SetCursor(arrow);
            platform.ShowMessage("システムは正常に更新されました。", "確認", MessageButtons::Ok);
            presser.join();
            EXPECT_EQ(::GetCursor(), wait) << "after box " << box;
        }
    }
    EXPECT_EQ(::GetCursor(), arrow);
    // Without a run, a box leaves the cursor alone.
    std::thread presser([&] { PressWhenShown(L"確認", IDOK); });
    platform.ShowMessage("x", "確認", MessageButtons::Ok);
    presser.join();
    EXPECT_NE(::GetCursor(), wait);
}

}  // namespace
}  // namespace kavrel::test
