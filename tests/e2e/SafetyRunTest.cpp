// Flawed media and unusable folders under the real program: every failure is reported,
// and what can be known before the first change stops the run before it.
#include <windows.h>

#include "e2e/DemoRun.h"
#include "support/StoredArchive.h"

namespace kavrel::e2e {
namespace {

class SafetyRunTest : public DemoRunTest {
protected:
    // What an installed file holds now.
    std::string Installed(const std::wstring& relative) const { return ReadBytes(kInstall + L"\\" + relative); }
};

TEST_F(SafetyRunTest, DamagedFirstHeaderOfTheSecondArchiveIsReportedNotSkipped) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    std::string data = ReadBytes(medium_ + L"\\DATA.lzh");
    data[0] = '\0';  // the header size of its first entry
    ASSERT_TRUE(WriteBytes(medium_ + L"\\DATA.lzh", data));
    ASSERT_TRUE(MakeFolders(kInstall + L"\\DATA"));
    ASSERT_TRUE(WriteBytes(kInstall + L"\\DATA\\DATA.DAT", "installed before"));

    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    const std::string text = Answer(kavrel, L"確認", IDOK);
    EXPECT_NE(text, "システムは正常に更新されました。");
    EXPECT_NE(text, "<no message box>");
    EXPECT_EQ(kavrel.WaitExit(), 30);
    EXPECT_EQ(Installed(L"DATA\\DATA.DAT"), "installed before");
    EXPECT_EQ(Installed(L"BIN\\PROG.DAT"), "<missing>") << "tested before the first archive was extracted";
    EXPECT_FALSE(Registered());
}

TEST_F(SafetyRunTest, ArchiveWhoseThirdEntryFailsItsCrcReplacesNothing) {
    auto lines = DemoLines(kInstall);
    lines.push_back("1,1,THREE,BIN\\");
    ASSERT_TRUE(WriteInfo(medium_, lines));
    test::StoredArchive archive = test::MakeStoredArchive(
        {{"ONE.DAT", "new one"}, {"TWO.DAT", "new two"}, {"THREE.DAT", "new three"}});
    archive.bytes[archive.dataOffsets[2]] ^= 0x20;
    ASSERT_TRUE(WriteBytes(medium_ + L"\\THREE.lzh", archive.bytes));
    ASSERT_TRUE(MakeFolders(kInstall + L"\\BIN"));
    for (const wchar_t* f : {L"BIN\\ONE.DAT", L"BIN\\TWO.DAT"}) ASSERT_TRUE(WriteBytes(kInstall + L"\\" + f, "old"));

    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    const std::string text = Answer(kavrel, L"確認", IDOK);
    EXPECT_NE(text.find("THREE.DAT"), std::string::npos) << text;
    EXPECT_EQ(kavrel.WaitExit(), 30);
    EXPECT_EQ(Installed(L"BIN\\ONE.DAT"), "old");
    EXPECT_EQ(Installed(L"BIN\\TWO.DAT"), "old");
    EXPECT_EQ(Installed(L"BIN\\THREE.DAT"), "<missing>");
}

TEST_F(SafetyRunTest, DamagedThirdArchiveOnAFixedMediumStopsBeforeAnyChange) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    std::string store = ReadBytes(medium_ + L"\\STORE.lzh");
    store[store.size() - 3] ^= 0x01;  // inside the stored data: the CRC no longer matches
    ASSERT_TRUE(WriteBytes(medium_ + L"\\STORE.lzh", store));

    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    EXPECT_NE(Answer(kavrel, L"確認", IDOK).find("STORE.DAT"), std::string::npos);
    EXPECT_EQ(kavrel.WaitExit(), 30);
    EXPECT_FALSE(Registered());
    for (const wchar_t* f : {L"BIN\\PROG.DAT", L"DATA\\DATA.DAT", L"DATA\\MAPS\\STORE.DAT", L"DOC\\NOTES.TXT"}) {
        EXPECT_EQ(Installed(f), "<missing>") << Narrow(f);
    }
}

// The archive library reads code page 932 only: a folder it cannot name is refused before
// anything changes, and the user may choose another one.
TEST_F(SafetyRunTest, FolderOutsideCodePage932SendsTheUserBackUnchanged) {
    const std::wstring korean = L"E:\\E2E\\\uB370\uC774\uD130";  // 데이터
    ASSERT_TRUE(LayOutInstallation(korean));
    auto lines = DemoLines(korean);
    lines.push_back("1,1,PROG,BIN\\");
    lines.push_back("1,0,README.TXT,DOC\\");
    ASSERT_TRUE(WriteInfo(medium_, lines));
    ASSERT_TRUE(CopyDemo(L"medium\\PROG.lzh", medium_ + L"\\PROG.lzh"));
    ASSERT_TRUE(CopyDemo(L"medium\\README.TXT", medium_ + L"\\README.TXT"));
    const std::string before = ReadBytes(korean + L"\\DOC\\README.TXT");

    // info.txt cannot carry the folder either: it is typed on the destination page.
    auto& kavrel = Start();
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    Click(intro, IDOK);
    HWND dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr);
    SetControlText(dest, 1005, Narrow(korean) + "\\");
    Click(dest, IDOK);
    const HWND confirm = kavrel.WaitPage(kUpdate);
    ASSERT_NE(confirm, nullptr);
    Click(confirm, IDOK);
    const std::string text = Answer(kavrel, L"エラー", IDOK);
    EXPECT_EQ(text.rfind("インストール先のフォルダー名に使用できない文字が含まれています。", 0), 0u) << text;
    dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr) << "back on the destination page";
    EXPECT_FALSE(Registered());
    EXPECT_EQ(ReadBytes(korean + L"\\BIN\\PROG.DAT"), "<missing>");
    EXPECT_EQ(ReadBytes(korean + L"\\DOC\\README.TXT"), before);
    PressKey(::GetDlgItem(dest, IDOK), VK_ESCAPE);
    const HWND introAgain = kavrel.WaitPage(kStart);
    ASSERT_NE(introAgain, nullptr);
    Click(introAgain, IDCANCEL);
    EXPECT_EQ(kavrel.WaitExit(), 14) << "left after the refusal: its code";
}

// No system name: a per-system archive on disk 2 can never be found, and that is known
// at the installation check: the run stops before anything is registered or installed,
// and says so once.
TEST_F(SafetyRunTest, StartArchiveWithoutSystemNameOnAFloppySet) {
    ::DeleteFileW((kInstall + L"\\MORVANE12.ico").c_str());
    ASSERT_TRUE(InstallKavrel(L"F:"));
    auto lines = DemoLines(kInstall);
    for (const char* item : {"1,1,PROG,BIN\\", "2,1,DATA,DATA\\", "2,1,START,BIN\\"}) lines.push_back(item);
    ASSERT_TRUE(WriteInfo(L"F:", lines));
    ASSERT_TRUE(CopyDemo(L"medium\\PROG.lzh", L"F:\\PROG.lzh"));

    auto& kavrel = Start(L"F:");
    ConfirmUpdate(kavrel);
    EXPECT_EQ(Answer(kavrel, L"更新エラー", IDOK), "ｼｽﾃﾑ名称が取得できませんでした。");
    HWND dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr) << "back on the destination page";
    EXPECT_FALSE(Registered());
    EXPECT_EQ(Installed(L"BIN\\PROG.DAT"), "<missing>");
    PressKey(::GetDlgItem(dest, IDOK), VK_ESCAPE);
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    Click(intro, IDCANCEL);
    EXPECT_EQ(kavrel.WaitExit(), 20) << "left after the refusal: its code";
}

}  // namespace
}  // namespace kavrel::e2e
