#include <gtest/gtest.h>

#include "app/SourceFolder.h"

namespace kavrel {
namespace {

TEST(SourceFolder, IsTheProgramsDriveAndDirectory) {
    const std::pair<std::string, std::string> cases[] = {
        {"D:\\SETUP\\Kavrel.exe", "D:\\SETUP\\"},
        // A drive root keeps its backslash, so names built from it are not drive-relative.
        {"A:\\Kavrel.exe", "A:\\"},
        {"\\\\server\\share\\upd\\Kavrel.exe", "\\\\server\\share\\upd\\"},
        {"C:Kavrel.exe", "C:"},
        {"Kavrel.exe", ""},
    };
    for (const auto& [module, folder] : cases) {
        EXPECT_EQ(SourceFolderFromModulePath(module), folder) << module;
    }
}

TEST(SourceFolder, HasNoLengthLimit) {
    const std::string dir = "E:\\" + std::string(500, 'x') + "\\メディア\\";
    EXPECT_EQ(SourceFolderFromModulePath(dir + "Kavrel.exe"), dir);
}

}  // namespace
}  // namespace kavrel
