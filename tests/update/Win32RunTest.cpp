// The update run through the real Win32 platform and UNLHA32.dll, on copies of the demo
// medium and installation: files, attributes and times on disk, the registry, the boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "checks/Win32TempFolder.h"
#include "platform/win32/Win32Seams.h"
#include "platform/win32/Win32Text.h"
#include "support/FakeSeams.h"
#include "support/HostPath.h"
#include "update/UpdateRun.h"
#include "update/Win32MessagePresser.h"

namespace kavrel::test {
namespace {

const char* const kDemoFiles[] = {
    "medium\\PROG.lzh", "medium\\DATA.lzh", "medium\\STORE.lzh", "medium\\HELP.lzh",
    "medium\\START12.lzh", "medium\\README.TXT", "medium\\DOCS\\NOTES.TXT", "medium\\items.txt",
    "install\\main.exe", "install\\ConfigData.xml", "install\\MORVANE12.ico", "install\\DOC\\README.TXT"};

std::uint64_t LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

class Win32RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string relative : kDemoFiles) {
            std::string linuxPath = std::string(KAVREL_SOURCE_DIR) + "/demo/" + relative;
            for (char& c : linuxPath) c = c == '\\' ? '/' : c;
            temp.AddFolder(relative.substr(0, relative.rfind('\\')));
            ASSERT_TRUE(::CopyFileW(Widen(HostPath(linuxPath)).c_str(),
                                    Widen(temp.Path() + relative).c_str(), FALSE))
                << relative;
        }
        medium = temp.Path() + "medium\\";
        install = temp.Path() + "install\\";
        desc.m_strDestFolder = install;
        desc.m_strSettingsFile = "NULL";
        desc.m_strTargetVersion = "V6.1";
        for (int i = 0; i < kSystemCount; ++i) {
            desc.m_strSystemName[i] = (i < 9 ? "MORVANE0" : "MORVANE") + std::to_string(i + 1);
        }
        // The item lines the demo's info.txt carries.
        std::istringstream lines(temp.ReadFile("medium\\items.txt"));
        for (std::string line; std::getline(lines, line) && std::ssize(desc.m_items) < kMaxItems;) {
            std::istringstream fields(line);
            std::string disk, kind, name, subfolder;
            std::getline(fields, disk, ',');
            std::getline(fields, kind, ',');
            std::getline(fields, name, ',');
            std::getline(fields, subfolder, ',');
            desc.m_items.push_back({std::stoi(disk), ItemKindOfField(std::stoi(kind)), name, subfolder});
        }
    }

    int RunAnsweringOk(SeenBox& seen) {
        int result = -1;
        seen = AnswerOkDuring(L"確認", [&] { result = RunResult(RunUpdate(seams.Run(unlisted), desc, medium, state)); });
        return result;
    }

    Win32TempFolder temp;
    Win32Seams seams;
    // Under Wine this program's own path is not on any drive, so its file cannot be read
    // back; the copied demo medium carries no content list anyway.
    FakeTrust unlisted;
    UpdateDescription desc;
    std::string medium, install;
    MediumState state;
};

TEST_F(Win32RunTest, DemoUpdateInstallsEveryItem) {
    ASSERT_EQ(desc.m_items.size(), 7u);
    // A read-only source: its copy must end up a normal file with the source's times.
    const std::string readme = medium + "README.TXT";
    ::SetFileAttributesW(Widen(readme).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

    SeenBox seen;
    EXPECT_EQ(RunAnsweringOk(seen), 1);
    EXPECT_EQ(seen.text, L"システムは正常に更新されました。") << "instead: " << Narrow(seen.other);

    EXPECT_EQ(temp.ReadFile("install\\BIN\\PROG.DAT").size(), 9300u);
    EXPECT_EQ(temp.ReadFile("install\\BIN\\VERSION.TXT"), "Morvane V6.1 demo update\r\n");
    EXPECT_EQ(temp.ReadFile("install\\BIN\\SYSTEM12.INI").substr(0, 20), "[System]\r\nNumber=12\r");
    EXPECT_EQ(temp.ReadFile("install\\DATA\\DATA.DAT").size(), 28200u);
    EXPECT_EQ(temp.ReadFile("install\\DATA\\MAPS\\STORE.DAT"), "stored, not compressed\r\n");
    EXPECT_EQ(temp.ReadFile("install\\HELP\\HELP.TXT").size(), 60400u);
    EXPECT_EQ(temp.ReadFile("install\\DOC\\README.TXT"), temp.ReadFile("medium\\README.TXT"));
    EXPECT_EQ(temp.ReadFile("install\\DOC\\NOTES.TXT"), temp.ReadFile("medium\\DOCS\\NOTES.TXT"));

    const std::string copy = install + "DOC\\README.TXT";
    // Wine reports every plain file as an archive; what counts is that no flag is left.
    const DWORD attributes = ::GetFileAttributesW(Widen(copy).c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u)
        << attributes;
    EXPECT_EQ(LastWrite(copy), LastWrite(readme));

    EXPECT_EQ(desc.m_strSettingsFile, "pemsoa1.ini");
    EXPECT_EQ(desc.m_nSystemNumber, 12);
    EXPECT_EQ(desc.m_items[4].name, "START") << "the item as info.txt names it";
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(::RegGetValueW(HKEY_CLASSES_ROOT, L"veskofile", nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(value, L"12");
}

// Every archive on a fixed medium is tested through the library before the first change.
TEST_F(Win32RunTest, MissingArchiveStopsTheRunBeforeAnythingChanges) {
    ::DeleteFileW(Widen(medium + "HELP.lzh").c_str());
    SeenBox seen;
    EXPECT_EQ(RunAnsweringOk(seen), 1);
    ASSERT_TRUE(seen.found) << "instead: " << Narrow(seen.other);
    EXPECT_FALSE(seen.text.empty());
    EXPECT_THAT(seen.text, ::testing::Not(::testing::HasSubstr(L"システムは正常に")));
    EXPECT_EQ(temp.ReadFile("install\\BIN\\PROG.DAT"), "<missing>");
    EXPECT_EQ(temp.ReadFile("install\\DOC\\NOTES.TXT"), "<missing>");
}

}  // namespace
}  // namespace kavrel::test
