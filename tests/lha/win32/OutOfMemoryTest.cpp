// Entry 301 when memory runs out, as the library behaves where it is built with
// exceptions (the shipped UNLHA32.dll has none: there a failed allocation ends the
// process, and the next run recovers its recorded commit): every allocation of a whole
// extraction is made to fail in turn (the first, the second, ...), with the library's
// own sources and the throwing runtime pieces. Each must end in the library's message and a nonzero result
// (or in success, when only the clean-up after the last new file was put in place ran
// short), never in std::terminate (which would take Kavrel.exe down with the library);
// the file already installed must be the old one or the whole new one, never a part or
// none; no file may be left open.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "EmbeddedArchives.inc"
#include "FailingNew.h"
#include "checks/Win32TempFolder.h"
#include "lha/dll/Unlha32.h"
#include "platform/Text.h"
#include "platform/win32/Win32Text.h"

namespace {

using kavrel::Widen;

// True when nothing else holds `path` open.
bool NobodyHasItOpen(const std::string& path) {
    const HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// The names in `folder` (UTF-8, ending in a backslash).
std::string Listing(const std::string& folder) {
    std::string names;
    WIN32_FIND_DATAW fd;
    const HANDLE h = FindFirstFileW(Widen(folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        names += kavrel::Narrow(fd.cFileName) + " ";
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

// The extractor's files in `folder` (UTF-8, ending in a backslash) that start with
// `prefix`, removed; their names, for the message.
std::string TakeLeftovers(const std::string& folder, const char* prefix = "~kv") {
    std::string names;
    WIN32_FIND_DATAW fd;
    const HANDLE h = FindFirstFileW(Widen(folder + prefix + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        names += kavrel::Narrow(fd.cFileName) + " ";
        DeleteFileW((Widen(folder) + fd.cFileName).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

// An archive of one file, gpl-2, on a medium folder; an installation folder that holds
// an old gpl-2. Parameter: the method, -lh5- or -lh7-.
class OutOfMemory : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        if (!KAVREL_HAVE_EMBEDDED_CORPUS) GTEST_SKIP() << "LZH corpus was not found when the test was configured";
        temp_ = std::make_unique<kavrel::test::Win32TempFolder>();
        const auto* archive = GetParam() == 7 ? kH2LH7 : kH1LH5;
        const std::size_t size = GetParam() == 7 ? sizeof kH2LH7 : sizeof kH1LH5;
        temp_->AddFile("ITEM.lzh", std::string(reinterpret_cast<const char*>(archive), size));
        temp_->AddFolder("install");
        dest_ = temp_->Path() + "install\\";
        gpl2_.assign(reinterpret_cast<const char*>(kgpl2), sizeof kgpl2);
        std::string folder;
        ASSERT_TRUE(kavrel::Utf8ToCp932(temp_->Path(), folder));
        line_ = "e -mcwC:\\windows \"" + folder + "ITEM\" \"" + folder + "install\\\"";
        ASSERT_TRUE(kavrel::Utf8ToCp932("メモリが足りないため展開できません。", outOfMemory_));
        Run(0);  // the first run in a process also sets up what lasts (one allocation more)
        allocations_ = Run(0);
        ASSERT_EQ(result_, 0) << output_;
        ASSERT_GT(allocations_, 3);
    }
    // Extracts over an old gpl-2 with allocation `failAt` failing (0: none); returns
    // how many allocations the run made.
    long Run(long failAt) {
        temp_->AddFile("install\\gpl-2", "OLD");
        char output[256];
        std::memset(output, 'Z', sizeof output);
        g_count = 0;
        g_failAt = failAt;
        g_armed = true;
        result_ = Unlha(nullptr, line_.c_str(), output, sizeof output);
        g_armed = false;
        output_.assign(output, strnlen(output, sizeof output));
        return g_count;
    }
    std::unique_ptr<kavrel::test::Win32TempFolder> temp_;
    std::string dest_, gpl2_, line_, outOfMemory_, output_;
    long allocations_ = 0;
    int result_ = -1;
};

TEST_P(OutOfMemory, EveryFailedAllocationEndsInTheLibrarysMessage) {
    for (long n = 1; n <= allocations_; ++n) {
        Run(n);
        const std::string installed = temp_->ReadFile("install\\gpl-2");
        if (result_ == 0) {
            // only once every new file is in place
            EXPECT_EQ(installed, gpl2_) << "allocation " << n << ": success reported, yet the file is not new";
        } else {
            EXPECT_EQ(output_, outOfMemory_) << "allocation " << n;
        }
        EXPECT_TRUE(installed == "OLD" || installed == gpl2_)
            << "allocation " << n << ": " << (installed.size() < 40 ? installed : "a part of the file") << "; "
            << Listing(dest_);
        EXPECT_TRUE(NobodyHasItOpen(temp_->Path() + "ITEM.lzh")) << "allocation " << n << ": archive left open";
        EXPECT_TRUE(NobodyHasItOpen(dest_ + "gpl-2")) << "allocation " << n << ": file left open";
        TakeLeftovers(dest_);
    }
}

// The temporary files of the new contents (~kvlha) go on every way out. An old file set
// aside (~kvold) may stay when memory runs out just as it is to be removed, after every
// new file is in place.
TEST_P(OutOfMemory, LeavesNoTemporaryFileBehind) {
    for (long n = 1; n <= allocations_; ++n) {
        Run(n);
        EXPECT_EQ(TakeLeftovers(dest_, "~kvlha"), "") << "allocation " << n;
        TakeLeftovers(dest_);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, OutOfMemory, ::testing::Values(5, 7));

}  // namespace
