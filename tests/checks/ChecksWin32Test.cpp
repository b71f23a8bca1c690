// The installed-system checks and the version gate on real folders (run under Wine):
// the texts they build (doubled backslashes and all) must resolve as Windows resolves them.
#include <gtest/gtest.h>

#include "Win32TempFolder.h"
#include "checks/SystemIdentification.h"
#include "checks/VersionCheck.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Text.h"
#include "support/FakeSeams.h"

namespace kavrel {
namespace {

using test::Win32TempFolder;

// A literal with its NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

UpdateDescription Description(const std::string& target) {
    UpdateDescription desc;
    desc.m_strTargetVersion = target;
    desc.m_strSystemName.fill("-");
    desc.m_strSystemName[1] = "給与";
    desc.m_strSystemName[3] = "会計";
    desc.m_strSettingsFile = "pemsoa1.ini";
    return desc;
}

TEST(ChecksWin32, OldReleaseFolderWithoutBackslash) {
    Win32TempFolder temp;
    temp.AddFile("PROG\\emst\\07\\pemsoa1.ini");
    temp.AddFile("PROG\\main.exe", "MZ");
    Win32Files platform;
    test::RecordingLog log;
    const UpdateDescription desc = Description("V5.0 L01");
    std::string folder = temp.Path() + "PROG";
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, "pemsoa1.ini"), 1);
    EXPECT_EQ(folder, temp.Path() + "PROG\\");
    EXPECT_EQ(CheckMainProgram(platform, log, folder), 1);
    std::string other = temp.Path() + "PROG\\";
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, other, "tirvelo1.ini"), 0);
}

TEST(ChecksWin32, LaterReleaseThroughDoubledBackslash) {
    // The whole chain of the run with the folder text as the first check leaves it.
    Win32TempFolder temp;
    temp.AddFile("PROG\\main.exe", "MZ");
    temp.AddFile("PROG\\ConfigData.xml",
                 "<?xml version=\"1.0\"?>\r\n<Config>\r\n  <Version>V6.2</Version>\r\n</Config>\r\n");
    temp.AddFile("PROG\\モルヴァン会計.ico");
    Win32Files platform;
    test::RecordingLog log;
    const UpdateDescription desc = Description("V6.2");
    std::string folder = temp.Path() + "PROG\\";
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, "pemsoa1.ini"), 1);
    EXPECT_EQ(folder, temp.Path() + "PROG\\\\");
    EXPECT_EQ(CheckMainProgram(platform, log, folder), 1);
    EXPECT_EQ(CheckVersion(platform, log, desc, folder), 1);
    EXPECT_EQ(FindSystemNumber(platform, log, desc, folder), 4);
}

TEST(ChecksWin32, LaterReleaseRefusedBySettingsInZavure) {
    Win32TempFolder temp;
    temp.AddFile("PROG\\ZAVURE\\Ges\\pemsoa1.ini");
    Win32Files platform;
    test::RecordingLog log;
    const UpdateDescription desc = Description("V6.1");
    std::string folder = temp.Path() + "PROG";
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, "pemsoa1.ini"), 0);
    std::string missing = temp.Path() + "NONE\\";
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, missing, "pemsoa1.ini"), 1);
    EXPECT_EQ(CheckMainProgram(platform, log, missing), 0);
}

TEST(ChecksWin32, LongFolderAndStem) {
    // Names held whole: a search pattern of ~200 bytes, an icon stem of 82.
    Win32TempFolder temp;
    const std::string deep = std::string(60, 'd') + "\\インストール先フォルダ" + std::string(40, 'e');
    const std::string stem = std::string(80, 's') + "会計";
    temp.AddFile(deep + "\\main.exe", "MZ");
    temp.AddFile(deep + "\\" + stem + ".ico");
    temp.AddFile(deep + "\\ConfigData.xml", "<Version>V8</Version>\n");
    Win32Files platform;
    test::RecordingLog log;
    const UpdateDescription desc = Description("V8");
    std::string folder = temp.Path() + deep;
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, "pemsoa1.ini"), 1);
    EXPECT_EQ(CheckMainProgram(platform, log, folder), 1);
    EXPECT_EQ(CheckVersion(platform, log, desc, folder), 1);
    EXPECT_EQ(FindSystemNumber(platform, log, desc, folder), 4);
}

TEST(ChecksWin32, FolderNamedMainExePasses) {
    Win32TempFolder temp;
    temp.AddFolder("PROG\\main.exe");
    temp.AddFolder("EMPTY");
    Win32Files platform;
    test::RecordingLog log;
    EXPECT_EQ(CheckMainProgram(platform, log, temp.Path() + "PROG\\"), 1);
    EXPECT_EQ(CheckMainProgram(platform, log, temp.Path() + "EMPTY\\"), 0);
}

TEST(ChecksWin32, LastIconOfTheSearchDecides) {
    Win32TempFolder temp;
    temp.AddFile("PROG\\モルヴァン給与.ico");
    temp.AddFile("PROG\\モルヴァン会計.ico");
    Win32Files platform;
    test::RecordingLog log;
    const UpdateDescription desc = Description("V8");
    const std::string folder = temp.Path() + "PROG\\";
    const std::vector<FoundEntry> order = platform.FindFiles(folder + "*.ico");
    ASSERT_EQ(order.size(), 2u);
    const int expected = order.back().name == "モルヴァン会計.ico" ? 4 : 2;
    EXPECT_EQ(FindSystemNumber(platform, log, desc, folder), expected);

    // A folder of an icon's name returned last hides the icons.
    temp.AddFolder("PROG\\zzz.ico");
    const std::vector<FoundEntry> withFolder = platform.FindFiles(folder + "*.ico");
    ASSERT_EQ(withFolder.size(), 3u);
    const FoundEntry& last = withFolder.back();
    const int expectedNow = last.isDirectory ? -1 : last.name == "モルヴァン会計.ico" ? 4 : 2;
    EXPECT_EQ(FindSystemNumber(platform, log, desc, folder), expectedNow);
}

TEST(ChecksWin32, VersionFileEdges) {
    Win32TempFolder temp;
    Win32Files platform;
    test::RecordingLog log;
    const std::string folder = temp.Path() + "PROG\\";
    struct Case {
        const char* name;
        std::string file;
        const char* target;
        int expected;
    } const cases[] = {
        {"CR LF", "<Version>V8</Version>\r\n", "V8", 1},
        {"CR only: first pair", "<Version>V6.2</Version>\r<Version>V6.1</Version>\r", "V6.1", 0},
        {"pair across the 127-byte boundary", std::string(120, ' ') + "<Version>V8</Version>\n",
         "V8", 0},
        {"Ctrl-Z ends the text", "<Version>V8</Version>\n\x1a<Version>V7</Version>\n", "V8", 1},
        {"binary", Bytes("\0\x01\xff<Version>V8</Version>\0\n"), "V8", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        temp.AddFile("PROG\\ConfigData.xml", c.file);
        const UpdateDescription desc = Description(c.target);
        EXPECT_EQ(CheckVersion(platform, log, desc, folder), c.expected);
        EXPECT_EQ(CheckVersion(platform, log, desc, folder + "\\"), c.expected) << "doubled";
    }
    const UpdateDescription desc = Description("V8");
    EXPECT_EQ(CheckVersion(platform, log, desc, temp.Path() + "NONE\\"), 0);
}

}  // namespace
}  // namespace kavrel
