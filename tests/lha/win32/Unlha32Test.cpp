// UNLHA32.dll under Wine: entries 6, 8 and 301 called as the update run calls them,
// with the exact command-line format, and the files compared byte for byte.
#include <algorithm>
#include <vector>

#include "LhaArchiveBuilder.h"
#include "Unlha32Fixture.h"

namespace kavrel::lha::wine {
namespace {

TEST_F(Unlha32, ExtractsWhatTheCommandLineNamesByteForByte) {
    const std::wstring dest = folder_ + L"\\install\\";
    std::string out;
    for (const wchar_t* item : {L"H1LH5", L"H2LH7", L"H0LH6", L"START12"}) {
        DeleteFileW((dest + L"gpl-2").c_str());
        ASSERT_EQ(Extract(item, dest, out), 0) << out;
        EXPECT_TRUE(ReadFileW(dest + L"gpl-2") == gpl2_) << "content differs after extracting " << A(item);
    }
}

TEST_F(Unlha32, DropsStoredFoldersAndAcceptsManyTrailingBackslashes) {
    std::string out;
    ASSERT_EQ(Extract(L"SUBDIR", folder_ + L"\\flat\\\\\\", out), 0) << out;
    EXPECT_EQ(ReadFileW(folder_ + L"\\flat\\hello.txt").size(), 12u);
    EXPECT_EQ(GetFileAttributesW((folder_ + L"\\flat\\subdir").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Unlha32, WritesIntoAJapaneseFolderNamedInCodePage932) {
    // 表 and ソ end in the byte 0x5C
    const std::wstring dest = folder_ + L"\\\u8868\u30bd\u66f4\u65b0";
    std::string out;
    ASSERT_EQ(Extract(L"H2LH7", dest, out), 0) << out;
    EXPECT_TRUE(ReadFileW(dest + L"\\gpl-2") == gpl2_);
}

TEST_F(Unlha32, CreatesANameGivenInUtf16ThatCodePage932Lacks) {
    const test::Extensions utf16Name = {{0x44, test::Utf16Le(u"\ud55c\uad6d.txt")}};
    PutArchive(L"UTF16", test::StoredEntry2("", "x.txt", "korean", utf16Name) + '\0');
    std::string out;
    ASSERT_EQ(Extract(L"UTF16", folder_ + L"\\k\\", out), 0) << out;
    EXPECT_EQ(ReadFileW(folder_ + L"\\k\\\ud55c\uad6d.txt"), "korean");  // 한국.txt
}

TEST_F(Unlha32, ReplacesAReadOnlyFileAndLeavesANormalOne) {
    const std::wstring dest = folder_ + L"\\ro";
    CreateDirectoryW(dest.c_str(), nullptr);
    WriteFileW(dest + L"\\gpl-2", "OLD", 3);
    SetFileAttributesW((dest + L"\\gpl-2").c_str(), FILE_ATTRIBUTE_READONLY);
    std::string out;
    ASSERT_EQ(Extract(L"H1LH5", dest + L"\\", out), 0) << out;
    EXPECT_TRUE(ReadFileW(dest + L"\\gpl-2") == gpl2_);
    EXPECT_EQ(GetFileAttributesW((dest + L"\\gpl-2").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(Unlha32, FailsWithAJapaneseMessageAndKeepsTheOldFile) {
    const std::wstring dest = folder_ + L"\\keep";
    CreateDirectoryW(dest.c_str(), nullptr);
    WriteFileW(dest + L"\\gpl-2", "OLD", 3);
    std::string out;
    EXPECT_NE(Extract(L"TRUNC", dest + L"\\", out), 0);
    EXPECT_NE(out.find(A(L"\u5207\u308c\u3066")), std::string::npos) << out;  // 切れて
    EXPECT_NE(out.find("GPL-2"), std::string::npos) << out;
    EXPECT_EQ(ReadFileW(dest + L"\\gpl-2"), "OLD");

    EXPECT_NE(Extract(L"NOSUCH", dest + L"\\", out), 0);
    EXPECT_NE(out.find(A(L"\u898b\u3064\u304b\u308a\u307e\u305b\u3093")), std::string::npos) << out;  // 見つかりません
}

TEST_F(Unlha32, BoundsTheMessageToTheBufferSize) {
    std::string out;
    for (DWORD size : {1u, 2u, 3u, 10u, 11u, 40u}) {
        EXPECT_NE(Extract(L"NOSUCH", folder_ + L"\\x", out, size), 0);
        EXPECT_LE(out.size(), size - 1);
    }
}

// Three stored entries; the last one's data damaged when asked, so its CRC fails.
std::string ThreeEntries(bool damageLast) {
    std::string last = test::StoredEntry("c.txt", "new c");
    if (damageLast) last.back() ^= 1;
    return test::StoredEntry("a.txt", "new a") + test::StoredEntry("b.txt", "new b") + last + '\0';
}

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (fd.cFileName[0] != L'.') names.push_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(Unlha32, TestsAnArchiveInFullAndWritesNothing) {
    PutArchive(L"GOOD", ThreeEntries(false));
    PutArchive(L"BADCRC", ThreeEntries(true));
    const std::vector<std::wstring> medium = Names(folder_);
    std::string out;
    ASSERT_EQ(Test(L"H2LH7", out), 0) << out;
    EXPECT_EQ(out, "gpl-2\r\n");
    ASSERT_EQ(Test(L"GOOD", out), 0) << out;
    EXPECT_EQ(out, "a.txt\r\nb.txt\r\nc.txt\r\n");
    EXPECT_NE(Test(L"BADCRC", out), 0);
    EXPECT_NE(out.find("c.txt"), std::string::npos) << out;
    EXPECT_NE(out.find("CRC"), std::string::npos) << out;
    EXPECT_NE(Test(L"TRUNC", out), 0);
    EXPECT_NE(out.find(A(L"\u5207\u308c\u3066")), std::string::npos) << out;  // 切れて
    EXPECT_NE(Test(L"NOSUCH", out), 0);
    EXPECT_EQ(Names(folder_), medium) << "the test wrote something";
}

TEST_F(Unlha32, RefusesAnArchiveLargerThanTheFreeSpaceBeforeWriting) {
    PutArchive(L"HUGE", test::StoredEntry("a.txt", "a") + test::Level2Entry("", "huge.bin", "x", 1ull << 50, 0) + '\0');
    std::string out;
    EXPECT_NE(Extract(L"HUGE", folder_ + L"\\new\\", out), 0);
    EXPECT_NE(out.find(A(L"\u7a7a\u304d\u5bb9\u91cf")), std::string::npos) << out;  // 空き容量
    EXPECT_EQ(GetFileAttributesW((folder_ + L"\\new").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Unlha32, TakesAWindowsDirectoryWithBlanks) {
    std::string out;
    ASSERT_EQ(Extract(L"H2LH7", folder_ + L"\\pf\\", out, 256, nullptr, "C:\\Program Files"), 0) << out;
    EXPECT_TRUE(ReadFileW(folder_ + L"\\pf\\gpl-2") == gpl2_);
}

TEST_F(Unlha32, ABadEntryOrAFileInUseReplacesNoInstalledFile) {
    PutArchive(L"GOOD", ThreeEntries(false));
    PutArchive(L"BADCRC", ThreeEntries(true));
    const std::wstring dest = folder_ + L"\\inst";
    CreateDirectoryW(dest.c_str(), nullptr);
    // a.txt and b.txt read-only and hidden: a failed move must not cost them that
    std::vector<DWORD> attributes;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
        const std::wstring path = dest + L"\\" + name;
        WriteFileW(path, "old", 3);
        if (name[0] != L'c') SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        attributes.push_back(GetFileAttributesW(path.c_str()));
    }
    ASSERT_EQ(attributes[1] & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN});
    auto expectOld = [&](const char* when) {
        int i = 0;
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
            EXPECT_EQ(ReadFileW(dest + L"\\" + name), "old") << when << ": " << A(name);
            EXPECT_EQ(GetFileAttributesW((dest + L"\\" + name).c_str()), attributes[i++]) << when << ": " << A(name);
        }
        EXPECT_EQ(Names(dest), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"})) << when;
    };
    std::string out;
    EXPECT_NE(Extract(L"BADCRC", dest + L"\\", out), 0);
    EXPECT_NE(out.find("CRC"), std::string::npos) << out;
    expectOld("bad CRC");

    // another program holds b.txt open (no sharing of deletes): it cannot be moved aside
    const HANDLE held = CreateFileW((dest + L"\\b.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_NE(Extract(L"GOOD", dest + L"\\", out), 0);
    EXPECT_NE(out.find("b.txt"), std::string::npos) << out;
    CloseHandle(held);
    expectOld("file in use");

    ASSERT_EQ(Extract(L"GOOD", dest + L"\\", out), 0) << out;
    EXPECT_EQ(ReadFileW(dest + L"\\a.txt"), "new a");
    EXPECT_EQ(GetFileAttributesW((dest + L"\\a.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(Names(dest), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
}

TEST(Unlha32Exports, AreReachableByOrdinalOnly) {
    const HMODULE dll = LoadLibraryW(L"UNLHA32.dll");
    ASSERT_NE(dll, nullptr);
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(6)), nullptr);
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(8)), nullptr);
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(301)), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "Unlha"), nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(301))), reinterpret_cast<void*>(&Unlha));
    char buffer[256];
    using Fn = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);
    const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(301))));
    EXPECT_NE(fn(nullptr, "q", buffer, sizeof buffer), 0);
    EXPECT_GT(std::strlen(buffer), 0u);
    FreeLibrary(dll);
}

}  // namespace
}  // namespace kavrel::lha::wine
