// Kavrel as deployment tools run it: switches, no window at any time, an exit code for
// every ending, and a log; and the same installation as the wizard leaves.
#include <windows.h>

#include <algorithm>
#include <map>

#include "e2e/DemoRun.h"
#include "support/StoredArchive.h"

namespace kavrel::e2e {
namespace {

class UnattendedTest : public DemoRunTest {};

TEST_F(UnattendedTest, InstallsExactlyWhatTheWizardInstalls) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    auto& wizard = Start();
    ConfirmUpdate(wizard);
    EXPECT_EQ(Answer(wizard, L"確認", IDOK), "システムは正常に更新されました。");
    EXPECT_EQ(wizard.WaitExit(), kUpdated);
    const auto files = Snapshot(kInstall);
    const auto registry = RegistrySnapshot();
    ASSERT_EQ(files.count(L"\\BIN\\PROG.DAT"), 1u);

    // The same installation again, and the same medium, unattended.
    ASSERT_TRUE(LayOutInstallation());
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"veskofile");
    ::DeleteFileW(log_.c_str());
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_ + L" /D=" + kInstall + L"\\"), kUpdated);
    EXPECT_EQ(Snapshot(kInstall), files);
    EXPECT_EQ(RegistrySnapshot(), registry);

    const std::string log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with a byte-order mark";
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), std::count(log.begin(), log.end(), '\r')) << "CR LF";
    for (const char* expected :
         {"mode: unattended (/S)", "description: title \"モルベーン 更新\"", "installation folder from /D=: E:\\E2E\\MORVANE\\",
          "ConfigData.xml: installed \"V6.1\", wanted \"V6.1\": accepted",
          "icon MORVANE12.ico: system 12", "registry HKEY_CLASSES_ROOT\\veskofile\\ = \"12\"",
          "item 1/7: archive", "  entry PROG.DAT: 9300 bytes, CRC 2163 verified", "  entry VERSION.TXT: 26 bytes",
          "  entry HELP.TXT: 60400 bytes", "  entry SYSTEM12.INI: 501 bytes", "item 7/7: file",
          "message (not shown) [確認] システムは正常に更新されました。 -> OK", "exit code 0 after"}) {
        EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
    }
}

TEST_F(UnattendedTest, EveryEndingHasItsCodeAndNoWindow) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    // A folder with a newer product's settings file.
    const std::wstring other = L"E:\\E2E\\OTHER";
    ASSERT_TRUE(LayOutInstallation(other));
    ASSERT_TRUE(MakeFolders(other + L"\\ZAVURE\\Ges"));
    // Both settings-file names there: with "NULL" on line 19 the second is tried too.
    ASSERT_TRUE(WriteBytes(other + L"\\ZAVURE\\Ges\\pemsoa1.ini", "[settings]"));
    ASSERT_TRUE(WriteBytes(other + L"\\ZAVURE\\Ges\\tirvelo1.ini", "[settings]"));
    EXPECT_EQ(RunUnattended(L"/S /D=" + other), 10);

    ASSERT_TRUE(WriteBytes(kInstall + L"\\ConfigData.xml", "<Version>V6.2</Version>\r\n"));
    EXPECT_EQ(RunUnattended(L"/S"), 11);
    ASSERT_TRUE(LayOutInstallation());

    std::string help = ReadBytes(medium_ + L"\\HELP.lzh");
    help[help.size() / 2] ^= 0x55;
    ASSERT_TRUE(WriteBytes(medium_ + L"\\HELP.lzh", help));
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_), 30);
    EXPECT_NE(Log().find("exit code 30"), std::string::npos);
    EXPECT_EQ(ReadBytes(kInstall + L"\\BIN\\PROG.DAT"), "<missing>") << "nothing before the damaged archive";

    EXPECT_EQ(RunUnattended(L"/S /X"), 3);
    EXPECT_EQ(RunUnattended(L"/LOG="), 3);
    EXPECT_FALSE(Registered());

    const std::wstring bare = L"D:\\E2E\\BARE";
    ASSERT_TRUE(FreshFolder(bare));
    ASSERT_TRUE(InstallKavrel(bare));
    EXPECT_EQ(RunUnattended(L"/S", bare), 4) << "no info.txt";
}

TEST_F(UnattendedTest, FloppyMediumThatNeedsAnotherDiskEnds) {
    ASSERT_TRUE(InstallKavrel(L"F:"));
    ASSERT_TRUE(LayOutTwoDiskFloppy());
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_, L"F:"), 21);
    EXPECT_NE(Log().find("disk 2 is needed"), std::string::npos) << Log();
    EXPECT_NE(ReadBytes(kInstall + L"\\BIN\\PROG.DAT"), "<missing>");
}

TEST_F(UnattendedTest, RunningProductOrAFileInUseStopsBeforeAnyChange) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    // The product's main.exe, running.
    ASSERT_TRUE(::CopyFileW(Widen(test::HostPath(KAVREL_SLEEPER)).c_str(), (kInstall + L"\\main.exe").c_str(), FALSE));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + kInstall + L"\\main.exe\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ::CloseHandle(pi.hThread);
    ::Sleep(300);
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_), 12);
    EXPECT_NE(Log().find("is running"), std::string::npos) << Log();
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hProcess);
    EXPECT_FALSE(Registered());

    // A file the update replaces, held open by another program without sharing.
    ASSERT_TRUE(MakeFolders(kInstall + L"\\HELP"));
    ASSERT_TRUE(WriteBytes(kInstall + L"\\HELP\\HELP.TXT", "old help"));
    const HANDLE held = ::CreateFileW((kInstall + L"\\HELP\\HELP.TXT").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_), 12);
    ::CloseHandle(held);
    EXPECT_NE(Log().find("HELP.TXT is in use"), std::string::npos) << Log();
    EXPECT_EQ(ReadBytes(kInstall + L"\\HELP\\HELP.TXT"), "old help");
    EXPECT_EQ(ReadBytes(kInstall + L"\\BIN\\PROG.DAT"), "<missing>");
}

// An administrator's check: everything before the first change, then the code the run
// would end with; the installation and the registry are left byte for byte as they were.
TEST_F(UnattendedTest, CheckChangesNothingAndEndsWithTheCodeOfTheRun) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    const auto files = Snapshot(kInstall);
    const auto registry = RegistrySnapshot();
    EXPECT_EQ(RunUnattended(L"/S /CHECK /LOG=" + log_), kUpdated);
    EXPECT_EQ(Snapshot(kInstall), files);
    EXPECT_EQ(RegistrySnapshot(), registry);
    for (const char* expected : {"check (nothing is changed)", "entries decoded and checked, ", "README.TXT: ",
                                 " bytes for E:\\E2E\\MORVANE", "check outcome: the update would apply",
                                 "exit code 0 after"}) {
        EXPECT_NE(Log().find(expected), std::string::npos) << expected << "\n" << Log();
    }
    EXPECT_EQ(Log().find("registry HKEY_CLASSES_ROOT"), std::string::npos) << Log();

    // Without /S: no wizard page, the verdict in a box.
    auto& shown = StartWith(medium_, L"/CHECK");
    EXPECT_EQ(Answer(shown, L"確認", IDOK), "この更新は適用できます。\n（確認のみ: 何も変更していません）");
    EXPECT_EQ(shown.WaitExit(), kUpdated);

    // Each refusal's own code.
    ASSERT_TRUE(WriteBytes(kInstall + L"\\ConfigData.xml", "<Version>V6.2</Version>\r\n"));
    const auto otherVersion = Snapshot(kInstall);
    EXPECT_EQ(RunUnattended(L"/S /CHECK"), 11);
    EXPECT_EQ(Snapshot(kInstall), otherVersion);
    ASSERT_TRUE(LayOutInstallation());
    const auto fresh = Snapshot(kInstall);
    std::string help = ReadBytes(medium_ + L"\\HELP.lzh");
    help[help.size() / 2] ^= 0x55;
    ASSERT_TRUE(WriteBytes(medium_ + L"\\HELP.lzh", help));
    EXPECT_EQ(RunUnattended(L"/S /CHECK"), 30);
    EXPECT_EQ(Snapshot(kInstall), fresh);
    EXPECT_EQ(RegistrySnapshot(), registry);
}

// An archive on the second floppy, first in the table, whose third entry Windows cannot
// create: its disk is asked for and tested before anything is registered or written.
TEST_F(UnattendedTest, FirstItemOnALaterDiskWithANameWindowsCannotCreateChangesNothing) {
    ASSERT_TRUE(InstallKavrel(L"F:"));
    auto lines = DemoLines(kInstall);
    lines.push_back("2,1,NAMES,BIN\\");
    ASSERT_TRUE(WriteInfo(L"F:", lines));
    const auto files = Snapshot(kInstall);
    const auto registry = RegistrySnapshot();

    auto& kavrel = Start(L"F:");
    ConfirmUpdate(kavrel);
    const HWND prompt = kavrel.WaitWindow(L"#32770", L"確認", 30000);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(MessageBoxText(prompt), "2 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。");
    EXPECT_EQ(RegistrySnapshot(), registry) << "registered before its disk was in";
    const test::StoredArchive names =
        test::MakeStoredArchive({{"ONE.DAT", "one"}, {"TWO.DAT", "two"}, {"CON.INI", "[device]"}});
    ASSERT_TRUE(WriteBytes(L"F:\\NAMES.lzh", names.bytes));
    Click(prompt, IDOK);
    kavrel.WaitGone(prompt);
    const std::string text = Answer(kavrel, L"確認", IDOK);
    EXPECT_NE(text.find("CON.INI"), std::string::npos) << text;
    EXPECT_EQ(kavrel.WaitExit(), 30);
    EXPECT_EQ(Snapshot(kInstall), files);
    EXPECT_EQ(RegistrySnapshot(), registry);
}

TEST_F(UnattendedTest, RelativeLogAndTheDefaultLogPlace) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    ASSERT_TRUE(FreshFolder(L"E:\\E2E\\LOGS"));
    EXPECT_EQ(RunUnattended(L"/S /LOG=relative.log", L"", L"E:\\E2E\\LOGS"), kUpdated);
    EXPECT_NE(ReadBytes(L"E:\\E2E\\LOGS\\relative.log").find("exit code 0"), std::string::npos);

    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::wstring defaultLog = std::wstring(temp) + L"Kavrel.log";
    ::DeleteFileW(defaultLog.c_str());
    EXPECT_EQ(RunUnattended(L"/S"), kUpdated);
    EXPECT_NE(ReadBytes(defaultLog).find("exit code 0"), std::string::npos) << Narrow(defaultLog);
}

TEST_F(UnattendedTest, UsageGoesToTheConsoleItWasStartedFrom) {
    auto& kavrel = StartWith(medium_, L"/?", true);
    EXPECT_EQ(kavrel.WaitExit(), 0);
    const std::string usage = kavrel.Output();
    EXPECT_NE(usage.find("/S"), std::string::npos) << usage;
    EXPECT_NE(usage.find("/LOG="), std::string::npos);
    EXPECT_NE(usage.find("/D="), std::string::npos);

    auto& wrong = StartWith(medium_, L"/NOSUCH", true);
    EXPECT_EQ(wrong.WaitExit(), 3);
    EXPECT_NE(wrong.Output().find("/NOSUCH"), std::string::npos);
}

// The wizard's exit code after a refusal the user gave up on is the refusal's.
TEST_F(UnattendedTest, WizardLeftAfterARefusalEndsWithItsCode) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    ASSERT_TRUE(WriteBytes(kInstall + L"\\ConfigData.xml", "<Version>V8</Version>\r\n"));
    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    EXPECT_EQ(Answer(kavrel, L"エラー", IDOK), "このバージョンへの更新はできません。");
    const HWND dest = kavrel.WaitPage(kNext);
    ASSERT_NE(dest, nullptr);
    PressKey(::GetDlgItem(dest, IDOK), VK_ESCAPE);
    const HWND intro = kavrel.WaitPage(kStart);
    ASSERT_NE(intro, nullptr);
    Click(intro, IDCANCEL);
    EXPECT_EQ(kavrel.WaitExit(), 11);
}

}  // namespace
}  // namespace kavrel::e2e

namespace kavrel::e2e {
namespace {

TEST_F(UnattendedTest, DamagedInfoFileEndsWithCode4AndChangesNothing) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    const auto files = Snapshot(kInstall);
    // Cut within the fixed lines (in line 30), as a copy that stopped half way leaves it.
    const std::string info = ReadBytes(medium_ + L"\\info.txt");
    std::size_t cut = 0;
    for (int line = 0; line < 29; ++line) cut = info.find('\n', cut) + 1;
    ASSERT_TRUE(WriteBytes(medium_ + L"\\info.txt", info.substr(0, cut + 2)));
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_), 4);
    EXPECT_NE(Log().find("run outcome: description damaged, exit code 4"), std::string::npos) << Log();
    EXPECT_EQ(Snapshot(kInstall), files);
    EXPECT_FALSE(Registered());
}

// The medium's UNLHA32.dll as Windows finds it elsewhere: in the system folder (the
// 32-bit build's is syswow64, where a 32-bit test's system32 leads), or beside Kavrel.exe
// but another product's (here ours with another product name in its version resource).
TEST_F(UnattendedTest, ForeignLibraryEndsWithCode22AndChangesNothing) {
    ASSERT_TRUE(LayOutDemoMedium(medium_));
    const auto files = Snapshot(kInstall);
    const std::wstring beside = medium_ + L"\\UNLHA32.dll";
    const std::string ours = ReadBytes(beside);

    std::string foreign = ours;
    const std::string name("K\0a\0v\0r\0e\0l\0", 12);
    for (auto at = foreign.find(name); at != std::string::npos; at = foreign.find(name, at)) foreign[at + 10] = 'x';
    ASSERT_NE(foreign, ours);
    ASSERT_TRUE(WriteBytes(beside, foreign));
    EXPECT_EQ(RunUnattended(L"/S /LOG=" + log_), 22);
    EXPECT_NE(Log().find("is not the medium's own"), std::string::npos) << Log();

    wchar_t system[MAX_PATH];
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring planted = std::wstring(system) + L"\\UNLHA32.dll";
    ASSERT_TRUE(WriteBytes(planted, ours));
    ASSERT_TRUE(::DeleteFileW(beside.c_str()));
    const long code = RunUnattended(L"/S /LOG=" + log_);
    ::DeleteFileW(planted.c_str());
    EXPECT_EQ(code, 22);
    EXPECT_NE(Log().find("UNLHA32.dll loaded from C:\\"), std::string::npos) << Log();
    EXPECT_EQ(Snapshot(kInstall), files);
    EXPECT_FALSE(Registered());
}

}  // namespace
}  // namespace kavrel::e2e
