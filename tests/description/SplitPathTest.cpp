#include <gtest/gtest.h>

#include "description/SplitPath.h"

namespace kavrel {
namespace {

struct SplitCase {
    std::string path, drive, dir, fname, ext;
};

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, PartsAsTheRuntimeSplitsThem) {
    const auto& c = GetParam();
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.drive, c.drive);
    EXPECT_EQ(parts.dir, c.dir);
    EXPECT_EQ(parts.fname, c.fname);
    EXPECT_EQ(parts.ext, c.ext);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitPathTest,
    ::testing::Values(SplitCase{"D:\\MEDIUM\\SUB\\README.TXT", "D:", "\\MEDIUM\\SUB\\", "README", ".TXT"},
                      SplitCase{"D:README.TXT", "D:", "", "README", ".TXT"},
                      SplitCase{"SUB/INNER\\A.B.C", "", "SUB/INNER\\", "A.B", ".C"},
                      SplitCase{"DIR.X\\NOEXT", "", "DIR.X\\", "NOEXT", ""},
                      SplitCase{"C:\\DIR\\", "C:", "\\DIR\\", "", ""},
                      SplitCase{".hidden", "", "", "", ".hidden"},
                      SplitCase{"", "", "", "", ""},
                      SplitCase{"表示\\長い名前の文書ファイル名前.テキスト", "", "表示\\",
                                "長い名前の文書ファイル名前", ".テキスト"},
                      SplitCase{std::string(300, 'N') + "." + std::string(100, 'E'), "", "",
                                std::string(300, 'N'), "." + std::string(100, 'E')}));

}  // namespace
}  // namespace kavrel
