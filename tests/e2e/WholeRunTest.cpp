// The whole road: Kavrel started from a medium, the wizard driven by its buttons, the
// update run against a real installation folder, disk prompts answered by changing the
// medium behind the floppy drive, then files, attributes and registry read back.
#include <windows.h>

#include "e2e/DemoRun.h"

namespace kavrel::e2e {
namespace {

class WholeRunTest : public DemoRunTest {};

TEST_F(WholeRunTest, FromAFixedDriveEveryItemLandsAndTheProgramEnds) {
    auto lines = DemoLines(kInstall);
    for (const char* item : {"1,1,PROG,BIN\\", "1,1,DATA,DATA\\", "1,1,STORE,DATA\\MAPS\\", "1,1,HELP,HELP\\",
                             "1,1,START,BIN\\", "1,0,README.TXT,DOC\\", "1,0,DOCS\\NOTES.TXT,DOC\\"}) {
        lines.push_back(item);
    }
    ASSERT_TRUE(WriteInfo(medium_, lines));
    for (const wchar_t* f : {L"PROG.lzh", L"DATA.lzh", L"STORE.lzh", L"HELP.lzh", L"START12.lzh", L"README.TXT"}) {
        ASSERT_TRUE(CopyDemo(std::wstring(L"medium\\") + f, medium_ + L"\\" + f));
    }
    ASSERT_TRUE(MakeFolders(medium_ + L"\\DOCS"));
    ASSERT_TRUE(CopyDemo(L"medium\\DOCS\\NOTES.TXT", medium_ + L"\\DOCS\\NOTES.TXT"));
    // A read-only, hidden source and a read-only file in the way: the copy ends plain.
    ::SetFileAttributesW((medium_ + L"\\README.TXT").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((kInstall + L"\\DOC\\README.TXT").c_str(), FILE_ATTRIBUTE_READONLY);

    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    EXPECT_EQ(Answer(kavrel, L"確認", IDOK), "システムは正常に更新されました。");
    EXPECT_EQ(kavrel.WaitExit(), 0);

    for (const wchar_t* f : {L"BIN\\PROG.DAT", L"BIN\\VERSION.TXT", L"BIN\\SYSTEM12.INI", L"DATA\\DATA.DAT",
                             L"DATA\\MAPS\\STORE.DAT", L"HELP\\HELP.TXT", L"DOC\\NOTES.TXT"}) {
        EXPECT_NE(ReadBytes(kInstall + L"\\" + f), "<missing>") << Narrow(f);
    }
    EXPECT_EQ(ReadBytes(kInstall + L"\\DATA\\MAPS\\STORE.DAT"), "stored, not compressed\r\n");
    EXPECT_EQ(ReadBytes(kInstall + L"\\DOC\\README.TXT"), ReadBytes(medium_ + L"\\README.TXT"));
    const DWORD attributes = ::GetFileAttributesW((kInstall + L"\\DOC\\README.TXT").c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);

    const std::wstring mainExe = L"\"" + kInstall + L"\\\\main.exe\"";
    EXPECT_EQ(RegistryDefault(L"veskofile\\shell\\open\\command"), mainExe + L" \"%1\"");
    EXPECT_EQ(RegistryDefault(L"veskofile\\DefaultIcon"), mainExe);
    EXPECT_EQ(RegistryDefault(L"veskofile"), L"12");
    EXPECT_EQ(RegistryDefault(L".qmz"), L"veskofile");
    EXPECT_EQ(RegistryDefault(L".oqmz"), L"<missing>") << "an absent extension is not created";
}

TEST_F(WholeRunTest, FromAFloppyEachDiskIsAskedForUntilItIsIn) {
    const std::wstring floppy = L"F:";
    ASSERT_TRUE(FreshFolder(L"F:\\E2EOLD"));
    ::RemoveDirectoryW(L"F:\\E2EOLD");
    ASSERT_TRUE(InstallKavrel(floppy));
    auto lines = DemoLines(kInstall);
    for (const char* item : {"1,1,PROG,BIN\\", "2,1,DATA,DATA\\", "2,1,STORE,DATA\\MAPS\\", "3,1,HELP,HELP\\"}) {
        lines.push_back(item);
    }
    ASSERT_TRUE(WriteInfo(floppy, lines));
    ASSERT_TRUE(CopyDemo(L"medium\\PROG.lzh", L"F:\\PROG.lzh"));

    auto& kavrel = Start(floppy);
    ConfirmUpdate(kavrel);
    // Disk 2: the prompt names it; the "disk" goes in while the prompt is up.
    HWND box = kavrel.WaitWindow(L"#32770", L"確認", 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");
    ::DeleteFileW(L"F:\\PROG.lzh");
    ASSERT_TRUE(CopyDemo(L"medium\\DATA.lzh", L"F:\\DATA.lzh"));
    ASSERT_TRUE(CopyDemo(L"medium\\STORE.lzh", L"F:\\STORE.lzh"));
    Click(box, IDOK);
    kavrel.WaitGone(box);
    // Disk 3, first answered without changing the disk: asked again.
    EXPECT_EQ(Answer(kavrel, L"確認", IDOK), "3 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");
    box = kavrel.WaitWindow(L"#32770", L"確認", 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "3 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");
    for (const wchar_t* f : {L"F:\\DATA.lzh", L"F:\\STORE.lzh"}) ::DeleteFileW(f);
    ASSERT_TRUE(CopyDemo(L"medium\\HELP.lzh", L"F:\\HELP.lzh"));
    Click(box, IDOK);
    kavrel.WaitGone(box);
    EXPECT_EQ(Answer(kavrel, L"確認", IDOK), "システムは正常に更新されました。");
    EXPECT_EQ(kavrel.WaitExit(), 0);
    EXPECT_NE(ReadBytes(kInstall + L"\\BIN\\PROG.DAT"), "<missing>");
    EXPECT_NE(ReadBytes(kInstall + L"\\DATA\\MAPS\\STORE.DAT"), "<missing>");
    EXPECT_NE(ReadBytes(kInstall + L"\\HELP\\HELP.TXT"), "<missing>");
}

TEST_F(WholeRunTest, CancelAtADiskPromptKeepsWhatIsInstalledAndEnds) {
    ASSERT_TRUE(InstallKavrel(L"F:"));
    ASSERT_TRUE(LayOutTwoDiskFloppy());
    auto& kavrel = Start(L"F:");
    ConfirmUpdate(kavrel);
    EXPECT_EQ(Answer(kavrel, L"確認", IDCANCEL), "2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");
    EXPECT_EQ(Answer(kavrel, L"確認", IDOK), "ｱｯﾌﾟﾃﾞｲﾄを取消しました。");
    EXPECT_EQ(kavrel.WaitExit(), 1602);
    EXPECT_NE(ReadBytes(kInstall + L"\\BIN\\PROG.DAT"), "<missing>");
    EXPECT_TRUE(ReadBytes(kInstall + L"\\DATA\\DATA.DAT") == "<missing>") << "nothing after the cancel";
}

TEST_F(WholeRunTest, ARefusedFolderBringsTheDestinationPageBack) {
    const std::wstring empty = L"E:\\E2E\\NOTHING";
    ASSERT_TRUE(FreshFolder(empty));
    auto lines = DemoLines(empty);
    lines.push_back("1,1,PROG,BIN\\");
    ASSERT_TRUE(WriteInfo(medium_, lines));
    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    EXPECT_EQ(Answer(kavrel, L"エラー", IDOK), "このバージョンへの更新はできません。");
    const HWND dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(ControlText(dest, 1005), Narrow(empty) + "\\");
    EXPECT_TRUE(ReadBytes(empty + L"\\BIN\\PROG.DAT") == "<missing>");
}

}  // namespace
}  // namespace kavrel::e2e
