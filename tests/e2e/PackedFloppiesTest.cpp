// The vendor's road end to end: kavrel-pack.exe builds a medium (the demo's, and a
// three-floppy set from the manifest in tests/pack) and checks it; Kavrel then runs from the floppy drive F:, each
// disk prompt answered by putting the next disk folder behind F:, and the installation
// ends up holding the manifest's sources byte for byte.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "e2e/DemoRun.h"
#include "support/HostPath.h"
#include "tests/pack/ThreeFloppies.h"

namespace kavrel::e2e {
namespace {

const std::wstring kSources = L"D:\\E2E\\PACKSRC";
const std::wstring kDist = L"D:\\E2E\\PACKDIST";
const std::wstring kSet = L"D:\\E2E\\FLOPPIES";
const std::wstring kFloppy = L"F:";
// The programs under test go onto the packed media: this build's dist (win64, win32).
const std::wstring kDistName = Widen(KAVREL_DIST_NAME);

// Runs kavrel-pack.exe with `arguments`; its exit code, or -1 when it did not end.
long RunPack(const std::wstring& arguments) {
    const std::wstring exe = Widen(test::HostPath(KAVREL_PACK));
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\", &startup,
                          &info)) {
        return -1;
    }
    ::CloseHandle(info.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(info.hProcess, 300000) == WAIT_OBJECT_0) ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hProcess);
    return static_cast<long>(code);
}

std::wstring WithBackslashes(const std::string& path) {
    std::wstring wide = Widen(path);
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

// Copies a manifest with its `dist` line naming the programs under test, which
// --dist-root kDist then provides.
bool CopyManifest(const std::wstring& from, const std::wstring& to) {
    std::string text = ReadBytes(from);
    if (text == "<missing>") return false;
    // the top-level key: before the first table
    const std::size_t line = text.rfind("\ndist = ", text.find("\n[")) + 1;
    if (line == 0) return false;
    text.replace(line, text.find('\n', line) - line, "dist = \"" KAVREL_DIST_NAME "\"");
    return WriteBytes(to, text);
}

// The build's Kavrel.exe and UNLHA32.dll where kavrel-pack --dist-root kDist looks.
bool LayOutDist() { return FreshFolder(kDist + L"\\" + kDistName) && InstallKavrel(kDist + L"\\" + kDistName); }

bool LayOutSources() {
    if (!FreshFolder(kSources)) return false;
    const std::wstring manifest = Widen(test::HostPath(KAVREL_SOURCE_DIR "/tests/pack/three-floppies/update.toml"));
    if (!CopyManifest(manifest, kSources + L"\\update.toml")) return false;
    for (const auto& f : pack::test::ThreeFloppySources()) {
        const std::wstring path = kSources + L"\\" + WithBackslashes(f.path);
        if (!MakeFolders(path.substr(0, path.rfind(L'\\'))) || !WriteBytes(path, f.bytes)) return false;
    }
    return LayOutDist();
}

// A disk swap: what the drive held goes (but the running program), the disk goes in.
bool InsertDisk(int disk) {
    EmptyDrive(kFloppy);
    return CopyTree(kSet + L"\\disk" + std::to_wstring(disk), kFloppy + L"\\");
}

// The demo-run fixture cleans the registry and empties F: after each test.
class PackedFloppiesTest : public DemoRunTest {};

TEST_F(PackedFloppiesTest, ABuiltThreeFloppySetInstallsTheSourcesByteForByte) {
    ASSERT_TRUE(LayOutSources());
    // Disk 1 of a 720 KB set carries the two programs beside the first items.
    const std::uint64_t programs = ReadBytes(kDist + L"\\" + kDistName + L"\\Kavrel.exe").size() +
                                   ReadBytes(kDist + L"\\" + kDistName + L"\\UNLHA32.dll").size();
    if (programs > 600 * 1024) {
        GTEST_SKIP() << "Kavrel.exe and UNLHA32.dll take " << programs
                     << " bytes: a 720 KB floppy cannot carry them (the shipped pair is to stay under 256 KB)";
    }
    ASSERT_EQ(RunPack(L"build " + kSources + L"\\update.toml -o " + kSet + L" --dist-root " + kDist + L" --force"), 0);
    // Built without [signing]: the two unsigned programs are warnings, nothing else is.
    ASSERT_EQ(RunPack(L"check " + kSet + L"\\disk1 --media floppy-720"), 1) << "check passes on what build wrote";
    for (int disk : {1, 2, 3}) {
        EXPECT_EQ(ReadBytes(kSet + L"\\disk" + std::to_wstring(disk) + L"\\info.txt") != "<missing>", disk == 1);
    }
    EXPECT_EQ(::GetFileAttributesW((kSet + L"\\disk4").c_str()), INVALID_FILE_ATTRIBUTES) << "three disks";
    ASSERT_TRUE(InsertDisk(1));

    auto& kavrel = Start(kFloppy);
    ConfirmUpdate(kavrel);
    std::vector<int> asked;
    std::string last;
    for (int boxes = 0; boxes < 10; ++boxes) {
        const HWND box = kavrel.WaitWindow(L"#32770", L"確認", 60000);
        ASSERT_NE(box, nullptr) << "no message box after " << last;
        last = MessageBoxText(box);
        const int disk = std::atoi(last.c_str());
        if (disk >= 2) {
            asked.push_back(disk);
            ASSERT_TRUE(InsertDisk(disk));
        }
        Click(box, IDOK);
        kavrel.WaitGone(box);
        if (disk < 2) break;
    }
    EXPECT_EQ(last, "システムは正常に更新されました。");
    EXPECT_EQ(asked, (std::vector<int>{2, 3})) << "each disk asked for once, in order";
    EXPECT_EQ(kavrel.WaitExit(), 0);

    for (const auto& f : pack::test::ThreeFloppySources()) {
        EXPECT_TRUE(ReadBytes(kInstall + L"\\" + Widen(f.installed)) == f.bytes) << f.installed;
    }
}

TEST_F(PackedFloppiesTest, TheDemoManifestBuildsAMediumThatInstalls) {
    const std::wstring demo = L"D:\\E2E\\PACKDEMO";
    const std::wstring built = L"D:\\E2E\\DEMOMEDIUM";
    ASSERT_TRUE(FreshFolder(demo));
    const std::wstring source = Widen(test::HostPath(KAVREL_SOURCE_DIR "/demo"));
    ASSERT_TRUE(CopyManifest(source + L"\\update.toml", demo + L"\\update.toml"));
    ASSERT_TRUE(CopyTree(source + L"\\sources", demo + L"\\sources"));
    ASSERT_TRUE(CopyTree(source + L"\\artwork", demo + L"\\artwork"));
    ASSERT_TRUE(LayOutDist());
    ASSERT_EQ(RunPack(L"build " + demo + L"\\update.toml -o " + built + L" --dist-root " + kDist + L" --force"), 0);
    ASSERT_EQ(RunPack(L"check " + built), 1) << "warnings only: the demo is not signed";
    ASSERT_EQ(RunPack(L"show " + built), 0);
    ASSERT_TRUE(LayOutInstallation(L"E:\\MORVANE"));

    auto& kavrel = Start(built);
    ConfirmUpdate(kavrel);
    EXPECT_EQ(Answer(kavrel, L"確認", IDOK), "システムは正常に更新されました。");
    EXPECT_EQ(kavrel.WaitExit(), 0);
    EXPECT_EQ(ReadBytes(L"E:\\MORVANE\\DATA\\MAPS\\STORE.DAT"), "stored, not compressed\r\n");
    EXPECT_EQ(ReadBytes(L"E:\\MORVANE\\BIN\\SYSTEM12.INI"), ReadBytes(demo + L"\\sources\\start\\SYSTEM12.INI"));
    EXPECT_EQ(ReadBytes(L"E:\\MORVANE\\HELP\\HELP.TXT"), ReadBytes(demo + L"\\sources\\help\\HELP.TXT"));
    EXPECT_EQ(ReadBytes(L"E:\\MORVANE\\DOC\\NOTES.TXT"), ReadBytes(demo + L"\\sources\\doc\\DOCS\\NOTES.TXT"));
}

}  // namespace
}  // namespace kavrel::e2e
