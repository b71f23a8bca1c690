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
// Exit codes (the README's table).
inline constexpr long kUpdated = 0;
inline constexpr long kLeftBeforeTheRun = 2;

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
    // Started from `folder` with switches, its output captured (for /?).
    KavrelProcess& StartWith(const std::wstring& folder, const std::wstring& arguments, bool captureOutput = false,
                             const std::wstring& workingDir = L"C:\\") {
        kavrel_ = std::make_unique<KavrelProcess>(folder + L"\\Kavrel.exe", workingDir, arguments, captureOutput);
        EXPECT_TRUE(kavrel_->Started());
        return *kavrel_;
    }

    std::wstring medium_ = L"D:\\E2E\\MEDIUM";
    std::unique_ptr<KavrelProcess> kavrel_;
};

}  // namespace kavrel::e2e
