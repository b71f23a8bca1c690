#include <gtest/gtest.h>

#include "checks/SystemIdentification.h"
#include "support/FakeSeams.h"

namespace kavrel {
namespace {

using test::MemoryFiles;
using test::RecordingLog;

struct InstallFolderCase {
    const char* name;
    const char* targetVersion;
    std::string folder;
    std::vector<std::string> files;    // laid out before the call
    std::vector<std::string> folders;  // likewise
    const char* settingsFile;
    int expected;
    std::string folderAfter;
};

TEST(CheckInstallFolder, Cases) {
    const std::string longFolder = "D:\\" + std::string(300, 'x') + "\\モルヴァン会計";
    const InstallFolderCase cases[] = {
        {"old release, no closing backslash: second probe passes", "V5.0 L01", "C:\\PROG",
         {"C:\\PROG\\emst\\07\\pemsoa1.ini"}, {}, "pemsoa1.ini", 1, "C:\\PROG\\"},
        {"old release, first probe passes: text unchanged", "V5.0 L01", "C:\\PROG\\",
         {"C:\\PROG\\emst\\07\\pemsoa1.ini"}, {}, "pemsoa1.ini", 1, "C:\\PROG\\"},
        {"old release, settings file elsewhere", "V5.0 L01", "C:\\PROG\\",
         {"C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"}, {}, "pemsoa1.ini", 0, "C:\\PROG\\\\"},
        {"old release, other settings name", "V5.0 L01", "C:\\PROG\\",
         {"C:\\PROG\\emst\\07\\pemsoa1.ini"}, {}, "tirvelo1.ini", 0, "C:\\PROG\\\\"},
        {"old release, missing folder", "V5.0 L01", "C:\\NONE\\", {}, {}, "pemsoa1.ini", 0,
         "C:\\NONE\\"},
        {"old release, a folder of the settings name counts", "V5.0 L01", "C:\\PROG\\", {},
         {"C:\\PROG\\emst\\07\\pemsoa1.ini"}, "pemsoa1.ini", 1, "C:\\PROG\\"},
        {"later release, no ZAVURE file: accepted, backslash doubled", "V6.1", "C:\\PROG\\",
         {"C:\\PROG\\main.exe"}, {}, "pemsoa1.ini", 1, "C:\\PROG\\\\"},
        {"later release, ZAVURE file: refused", "V6.1", "C:\\PROG\\",
         {"C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"}, {}, "pemsoa1.ini", 0, "C:\\PROG\\"},
        {"later release, ZAVURE file found by the second probe", "V6.1", "C:\\PROG",
         {"C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"}, {}, "pemsoa1.ini", 0, "C:\\PROG\\"},
        {"later release, emst file does not matter", "V8", "C:\\PROG\\",
         {"C:\\PROG\\emst\\07\\pemsoa1.ini"}, {}, "pemsoa1.ini", 1, "C:\\PROG\\\\"},
        {"later release, missing folder", "V6.1", "C:\\NONE\\", {}, {}, "pemsoa1.ini", 1,
         "C:\\NONE\\"},
        {"lower-case old release name takes the ZAVURE rule", "v5.0 l01", "C:\\PROG\\",
         {"C:\\PROG\\emst\\07\\pemsoa1.ini", "C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"}, {},
         "pemsoa1.ini", 0, "C:\\PROG\\"},
        {"trailing blank after the old release name takes the ZAVURE rule", "V5.0 L01 ",
         "C:\\PROG\\", {"C:\\PROG\\emst\\07\\pemsoa1.ini"}, {}, "pemsoa1.ini", 1,
         "C:\\PROG\\\\"},
        {"folder of any length, Japanese", "V5.0 L01", longFolder,
         {longFolder + "\\emst\\07\\pemsoa1.ini"}, {}, "pemsoa1.ini", 1, longFolder + "\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles platform;
        RecordingLog log;
        platform.AddFolder("C:\\PROG");
        for (const auto& f : c.files) platform.AddFile(f);
        for (const auto& f : c.folders) platform.AddFolder(f);
        UpdateDescription desc;
        desc.m_strTargetVersion = c.targetVersion;
        std::string folder = c.folder;
        EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, c.settingsFile), c.expected);
        EXPECT_EQ(folder, c.folderAfter);
    }
}

TEST(CheckInstallFolder, EachCallMayAppendAnotherBackslash) {
    // The run calls twice when it probes the two settings names.
    MemoryFiles platform;
    RecordingLog log;
    platform.AddFolder("C:\\PROG");
    UpdateDescription desc;
    desc.m_strTargetVersion = "V5.0 L01";
    std::string folder = "C:\\PROG\\";
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, "pemsoa1.ini"), 0);
    EXPECT_EQ(CheckInstallFolder(platform, log, desc, folder, "tirvelo1.ini"), 0);
    EXPECT_EQ(folder, "C:\\PROG\\\\\\");
}

TEST(CheckMainProgram, Cases) {
    struct Case {
        const char* name;
        const char* folder;
        bool mainIsFolder;
        bool withMain;
        int expected;
    } const cases[] = {
        {"file present", "C:\\PROG\\", false, true, 1},
        {"folder named main.exe", "C:\\PROG\\", true, true, 1},
        {"no backslash needed", "C:\\PROG", false, true, 1},
        {"doubled backslash resolves", "C:\\PROG\\\\", false, true, 1},
        {"main.exe missing", "C:\\PROG\\", false, false, 0},
        {"folder missing", "C:\\NONE\\", false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles platform;
        RecordingLog log;
        platform.AddFolder("C:\\PROG");
        if (c.withMain && c.mainIsFolder) platform.AddFolder("C:\\PROG\\main.exe");
        if (c.withMain && !c.mainIsFolder) platform.AddFile("C:\\PROG\\main.exe");
        EXPECT_EQ(CheckMainProgram(platform, log, c.folder), c.expected);
    }
}

struct Entry {
    std::string name;
    bool isDirectory = false;
};

struct SystemCase {
    const char* name;
    std::vector<std::pair<int, std::string>> systemNames;  // position, name; others "-"
    std::vector<Entry> entries;                            // in the search's order
    int expected;
    std::string folder = "C:\\PROG\\";
};

TEST(FindSystemNumber, Cases) {
    const std::string longStem = std::string(200, 'q') + "Lorvesk";
    const SystemCase cases[] = {
        {"last of two icons decides", {{1, "A"}, {2, "B"}}, {{"A.ico"}, {"B.ico"}}, 2},
        {"last of two icons decides, other order", {{1, "A"}, {2, "B"}}, {{"B.ico"}, {"A.ico"}}, 1},
        {"lower position wins", {{2, "AB"}, {5, "ABX"}}, {{"ABX.ico"}}, 2},
        {"name anywhere in the stem", {{9, "Kei"}}, {{"MorKeiPlus.ico"}}, 9},
        {"no name in the stem", {{1, "A"}, {2, "B"}}, {{"xyz.ico"}}, -1},
        {"empty name matches any stem", {{7, ""}}, {{"whatever.ico"}}, 7},
        {"earlier hit beats the empty name", {{3, "wh"}, {7, ""}}, {{"whatever.ico"}}, 3},
        {"stem-less icon matched only by an empty name", {{1, "A"}}, {{".ico"}}, -1},
        {"stem-less icon and an empty name", {{1, "A"}, {7, ""}}, {{".ico"}}, 7},
        {"no icon at all", {{7, ""}}, {{"readme.txt"}, {"ico"}}, -1},
        {"folder named .ico returned last", {{1, "A"}, {7, ""}},
         {{"A.ico"}, {"old.ico", true}}, -1},
        {"folder named .ico returned first", {{1, "A"}}, {{"old.ico", true}, {"A.ico"}}, 1},
        {"stem ends at the first dot", {{3, "ABC"}, {4, "old"}}, {{"ABC.old.ico"}}, 3},
        {"several dots: later parts are no stem", {{4, "old"}}, {{"ABC.old.ico"}}, -1},
        {"letter case counts", {{1, "ABC"}}, {{"abc.ico"}}, -1},
        {"Japanese names", {{1, "給与"}, {4, "会計"}}, {{"モルヴァン会計.ico"}}, 4},
        {"stem of any length", {{12, "Lorvesk"}}, {{longStem + ".ico"}}, 12},
        {"position 15", {{15, "Z"}}, {{"Z.ico"}}, 15},
        {"doubled backslash resolves", {{2, "B"}}, {{"B.ico"}}, 2, "C:\\PROG\\\\"},
        {"no closing backslash searches beside the folder", {{2, "B"}}, {{"B.ico"}}, -1,
         "C:\\PROG"},
        {"missing folder", {{7, ""}}, {}, -1, "C:\\NONE\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles platform;
        RecordingLog log;
        platform.AddFolder("C:\\PROG");
        for (const auto& e : c.entries) {
            if (e.isDirectory) {
                platform.AddFolder("C:\\PROG\\" + e.name);
            } else {
                platform.AddFile("C:\\PROG\\" + e.name);
            }
        }
        UpdateDescription desc;
        desc.m_strSystemName.fill("-");
        for (const auto& [position, name] : c.systemNames) desc.m_strSystemName[position - 1] = name;
        EXPECT_EQ(FindSystemNumber(platform, log, desc, c.folder), c.expected);
    }
}

TEST(FindSystemNumber, FileBesideAFolderWithoutBackslash) {
    // "C:\PROG" + "*.ico" is C:\PROG*.ico: an icon named like the folder is found.
    MemoryFiles platform;
    RecordingLog log;
    platform.AddFolder("C:\\PROG");
    platform.AddFile("C:\\PROGB.ico");
    UpdateDescription desc;
    desc.m_strSystemName.fill("-");
    desc.m_strSystemName[1] = "B";
    EXPECT_EQ(FindSystemNumber(platform, log, desc, "C:\\PROG"), 2);
}

}  // namespace
}  // namespace kavrel
