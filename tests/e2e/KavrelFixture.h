// Common ground of the end-to-end tests: a fresh medium folder with Kavrel.exe on it,
// and the texts the pages are recognised by.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "e2e/Driver.h"
#include "e2e/Medium.h"

namespace kavrel::e2e {

inline const char kStart[] = "開始";
inline const char kNext[] = "次へ";
inline const char kUpdate[] = "更新";

class KavrelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FreshFolder(medium_)) << "the test drive D: is not mapped";
        ASSERT_TRUE(InstallKavrel(medium_));
    }
    void TearDown() override {
        if (kavrel_) kavrel_->Kill();
    }

    KavrelProcess& Start(const std::wstring& folder) {
        kavrel_ = std::make_unique<KavrelProcess>(folder + L"\\Kavrel.exe", L"C:\\");
        EXPECT_TRUE(kavrel_->Started());
        return *kavrel_;
    }
    KavrelProcess& Start() { return Start(medium_); }

    // Intro → destination (folder of line 16) → confirmation → 更新.
    void ConfirmUpdate(KavrelProcess& kavrel) {
        const HWND intro = kavrel.WaitPage(kStart);
        ASSERT_NE(intro, nullptr);
        PressKey(::GetDlgItem(intro, IDOK), VK_RETURN);
        const HWND dest = kavrel.WaitPage(kNext);
        ASSERT_NE(dest, nullptr);
        Click(dest, IDOK);
        const HWND confirm = kavrel.WaitPage(kUpdate);
        ASSERT_NE(confirm, nullptr);
        Click(confirm, IDOK);
    }

    // The next message box with this caption; its text, then it is answered.
    std::string Answer(KavrelProcess& kavrel, const wchar_t* caption, int button) {
        const HWND box = kavrel.WaitWindow(L"#32770", caption, 30000);
        if (box == nullptr) return "<no message box>";
        const std::string text = MessageBoxText(box);
        Click(box, button);
        kavrel.WaitGone(box);
        return text;
    }

    std::wstring medium_ = L"D:\\E2E\\MEDIUM";
    std::unique_ptr<KavrelProcess> kavrel_;
};

}  // namespace kavrel::e2e
