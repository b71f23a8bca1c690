// What the run finds out before it changes anything (rights, a running product, files in
// use, damaged archives), the disk each run starts from, and what it tells its log and
// progress window.
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

struct EarlyRefusal {
    const char* name;
    void (*fault)(TestPlatform&);
    RunOutcome outcome;
    std::string textStart;
};

class EarlyRefusalTest : public UpdateRunTest, public ::testing::WithParamInterface<EarlyRefusal> {};

// The user may fix the cause (close the product, log on as an administrator) and try
// again: back to the destination page, nothing registered, nothing installed.
TEST_P(EarlyRefusalTest, BackToTheFolderBeforeAnythingChanges) {
    AddItem(1, 0, "FIRST.TXT", "");
    AddItem(1, 1, "A", "BIN\\");
    p.archiveEntries["D:\\MEDIUM\\A"] = {"BIN/PROG.DAT", "PROG.INI"};
    p.AddFile("C:\\PROG\\BIN\\PROG.DAT", "old");
    p.AddFile("C:\\PROG\\FIRST.TXT", "old");
    GetParam().fault(p);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(outcome, GetParam().outcome);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].text.rfind(GetParam().textStart, 0), 0u) << p.messages[0].text;
    EXPECT_EQ(p.messages[0].caption, "エラー");
    EXPECT_TRUE(p.registry.empty());
    EXPECT_TRUE(Extractions().empty());
    EXPECT_EQ(p.FileAt("C:\\PROG\\FIRST.TXT").data, "old");
}

INSTANTIATE_TEST_SUITE_P(
    Causes, EarlyRefusalTest,
    ::testing::Values(
        EarlyRefusal{"NoRightsToWrite", [](TestPlatform& p) { p.readOnlyFolders.insert("C:\\PROG"); },
                     RunOutcome::FolderNotWritable, "インストール先に書き込めません。"},
        EarlyRefusal{"ProductRunning", [](TestPlatform& p) { p.runningPrograms.insert("C:\\PROG\\main.exe"); },
                     RunOutcome::ProductInUse, "製品が実行中です。"},
        EarlyRefusal{"PlainFileInUse", [](TestPlatform& p) { p.filesInUse.insert("C:\\PROG\\FIRST.TXT"); },
                     RunOutcome::ProductInUse, "更新するファイルを他のプログラムが使用しています。"},
        // The archive's stored folder is dropped: its entry lands in the item's folder.
        EarlyRefusal{"ArchiveEntryInUse", [](TestPlatform& p) { p.filesInUse.insert("C:\\PROG\\BIN\\PROG.DAT"); },
                     RunOutcome::ProductInUse, "更新するファイルを他のプログラムが使用しています。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, EveryArchiveOnAFixedMediumIsTestedBeforeTheFirstChange) {
    AddItem(1, 1, "A", "");
    AddItem(2, 1, "B", "");
    AddItem(3, 1, "C", "");
    std::vector<std::string> order;
    p.onArchiveCommand = [&](const std::string& line, std::string& output) {
        order.push_back(line.substr(0, 1) + (p.registry.empty() ? " before" : " after"));
        if (line[0] == 't' && line.find("MEDIUM\\C\"") != std::string::npos) {
            output = "C is damaged";
            return 1;
        }
        return 0;
    };
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("C is damaged", "確認");
    EXPECT_EQ(order, (std::vector<std::string>{"t before", "t before", "t before"}));
    EXPECT_EQ(p.Commands('t')[0], "t -mcwC:\\WINDOWS \"D:\\MEDIUM\\A\"");
}

// A floppy's archives are tested when it is in the drive, before the first of them is
// extracted; the archives of disk 1 before anything at all.
TEST_F(UpdateRunTest, FloppyArchivesAreTestedWhenTheirDiskIsIn) {
    UseRemovableMedium();
    AddItem(1, 1, "A", "");
    AddItem(1, 1, "B", "");
    AddItem(2, 1, "C", "");
    AddItem(2, 0, "D.TXT", "");
    AddItem(3, 1, "E", "");
    std::vector<std::string> calls;
    p.onArchiveCommand = [&](const std::string& line, std::string&) {
        calls.push_back(line.substr(0, 1) + line.substr(line.find("DISK\\") + 5, 1));
        return 0;
    };
    p.onMessage = [&](const TestPlatform::Message& m) {
        cursorAtMessage.push_back(p.waitCursorsActive);
        calls.push_back(m.text == kM10 ? "M10" : "prompt");
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"tA", "tB", "eA", "eB", "prompt", "tC", "eC", "prompt", "tE", "eE",
                                               "M10"}));
}

TEST_F(UpdateRunTest, DamagedArchiveOnALaterDiskStopsBeforeItsDiskIsTouched) {
    UseRemovableMedium();
    AddItem(1, 1, "A", "");
    AddItem(2, 0, "B.TXT", "");
    AddItem(2, 1, "C", "");
    p.onArchiveCommand = [&](const std::string& line, std::string& output) {
        if (line[0] != 't' || line.find("DISK\\C\"") == std::string::npos) return 0;
        output = "C is damaged";
        return 1;
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), "C is damaged"}));
    EXPECT_FALSE(p.HasFile("C:\\PROG\\B.TXT"));
    EXPECT_EQ(Extractions().size(), 1u);
}

// With no system name a per-system archive can never be found on any disk: the run
// stops before it asks for one.
TEST_F(UpdateRunTest, NoSystemNameStopsBeforeTheDiskPrompt) {
    UseRemovableMedium();
    p.Remove("C:\\PROG\\SYS12.ico");
    AddItem(1, 1, "A", "");
    AddItem(2, 1, "START", "", false);
    p.AddFile("F:\\DISK\\START3.lzh");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(outcome, RunOutcome::NoSystemName);
    EXPECT_EQ(Texts(), (std::vector<std::string>{kM6, kM6}));
    EXPECT_EQ(Extractions().size(), 1u);
}

// A run that ended with disk 2 in the drive: the next one must not read disk 2 as disk 1.
TEST_F(UpdateRunTest, NextRunAsksForDiskOneWhenAnotherDiskWasLeftIn) {
    UseRemovableMedium();
    p.Remove("C:\\PROG\\SYS12.ico");
    AddItem(1, 1, "A", "");
    AddItem(2, 1, "B", "");
    AddItem(2, 1, "START", "");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{kM6, M4(2), kM6}));
    EXPECT_EQ(medium.diskInDrive, 2);

    // The user fixes the icon and confirms again; disk 1 is asked for before anything.
    p.AddFile("C:\\PROG\\SYS12.ico", "icon");
    p.AddFile("F:\\DISK\\START12.lzh");
    p.messages.clear();
    p.registry.clear();
    std::vector<bool> registeredAtPrompt;
    p.onMessage = [&](const TestPlatform::Message& m) {
        cursorAtMessage.push_back(p.waitCursorsActive);
        if (m.buttons == MessageButtons::OkCancel) registeredAtPrompt.push_back(!p.registry.empty());
    };
    p.waitCursorsBegun = 0;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(1), M4(2), kM10}));
    EXPECT_EQ(registeredAtPrompt, (std::vector<bool>{false, true}));
}

TEST_F(UpdateRunTest, WithinOneRunDiskOneIsNeverAskedFor) {
    UseRemovableMedium();
    medium.diskInDrive = 1;
    AddItem(2, 1, "A", "");
    AddItem(1, 1, "B", "");
    AddItem(2, 1, "C", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), kM10}));
    EXPECT_EQ(medium.diskInDrive, 2);
}

// No one can swap a floppy for an unattended run: it ends with its own outcome.
TEST_F(UpdateRunTest, UnattendedRunNeedingAnotherDiskEnds) {
    UseRemovableMedium();
    p.unattended = true;
    AddItem(1, 1, "A", "");
    AddItem(2, 1, "B", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::DiskNeeded);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2)}));
    EXPECT_EQ(Extractions().size(), 1u);
    EXPECT_NE(std::find_if(p.log.begin(), p.log.end(),
                           [](const std::string& e) { return e.rfind("disk 2 is needed", 0) == 0; }),
              p.log.end());
}

struct NamedOutcome {
    const char* name;
    void (*setUp)(UpdateRunTest&, TestPlatform&);
    RunOutcome outcome;
};

class NamedOutcomeTest : public UpdateRunTest, public ::testing::WithParamInterface<NamedOutcome> {
public:
    void Item(int disk, int kind, const std::string& name) { AddItem(disk, kind, name, ""); }
    void Removable() { UseRemovableMedium(); }
};

// Each way a run can end has a name of its own, and the page graph's 0 or 1 follows from it.
TEST_P(NamedOutcomeTest, EachEndingIsNamed) {
    GetParam().setUp(*this, p);
    Run();
    EXPECT_EQ(outcome, GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, NamedOutcomeTest,
    ::testing::Values(
        NamedOutcome{"Completed", [](UpdateRunTest&, TestPlatform&) {}, RunOutcome::Completed},
        NamedOutcome{"FolderRefused", [](UpdateRunTest&, TestPlatform& p) { p.AddFile("C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"); },
                     RunOutcome::FolderRefused},
        NamedOutcome{"NoMainProgram", [](UpdateRunTest&, TestPlatform& p) { p.Remove("C:\\PROG\\main.exe"); },
                     RunOutcome::VersionRefused},
        NamedOutcome{"Cancelled",
                     [](UpdateRunTest& t, TestPlatform& p) {
                         static_cast<NamedOutcomeTest&>(t).Removable();
                         static_cast<NamedOutcomeTest&>(t).Item(2, 1, "A");
                         p.answers = {MessageAnswer::Cancel};
                     },
                     RunOutcome::Cancelled},
        NamedOutcome{"CopyFailed",
                     [](UpdateRunTest& t, TestPlatform& p) {
                         static_cast<NamedOutcomeTest&>(t).Item(1, 0, "A.TXT");
                         p.failCopyTo.insert("C:\\PROG\\A.TXT");
                     },
                     RunOutcome::CopyFailed},
        NamedOutcome{"AttributesFailed",
                     [](UpdateRunTest& t, TestPlatform& p) {
                         static_cast<NamedOutcomeTest&>(t).Item(1, 0, "A.TXT");
                         p.failSetStatus.insert("C:\\PROG\\A.TXT");
                     },
                     RunOutcome::AttributesFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunResultTest, RefusalsSendTheUserBackEverythingElseEndsTheProgram) {
    for (RunOutcome o : {RunOutcome::FolderRefused, RunOutcome::VersionRefused, RunOutcome::FolderUnusable,
                         RunOutcome::FolderNotWritable, RunOutcome::ProductInUse, RunOutcome::NoSystemName}) {
        EXPECT_EQ(RunResult(o), 0);
    }
    for (RunOutcome o : {RunOutcome::Completed, RunOutcome::MediumUnusable, RunOutcome::Cancelled,
                         RunOutcome::DiskNeeded, RunOutcome::ArchiveFailed, RunOutcome::CopyFailed,
                         RunOutcome::AttributesFailed}) {
        EXPECT_EQ(RunResult(o), 1);
    }
}

// The log follows the run: the checks with their paths, the registry, every item and
// every entry once it is in place; the progress shows each item, tests first.
TEST_F(UpdateRunTest, LogAndProgressFollowTheRun) {
    AddItem(1, 1, "A", "BIN\\");
    AddItem(1, 0, "B.TXT", "");
    p.archiveEntries["D:\\MEDIUM\\A"] = {"sub/PROG.DAT"};
    EXPECT_EQ(Run(), 1);
    const auto has = [&](const std::string& part) {
        for (const auto& e : p.log) {
            if (e.find(part) != std::string::npos) return true;
        }
        return false;
    };
    EXPECT_TRUE(has("settings file C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini: not found (folder accepted)"));
    EXPECT_TRUE(has("program C:\\PROG\\\\\\main.exe: found")) << ::testing::PrintToString(p.log);
    EXPECT_TRUE(has("installed \"V6.1\", wanted \"V6.1\": accepted"));
    EXPECT_TRUE(has("icon SYS12.ico: system 12"));
    EXPECT_TRUE(has("registry HKEY_CLASSES_ROOT\\veskofile\\shell\\open\\command\\ = \"\"C:\\PROG\\\\main.exe\" \"%1\"\""));
    EXPECT_TRUE(has("item 1/2: archive D:\\MEDIUM\\A.lzh (disk 1) -> C:\\PROG\\\\BIN\\: 1 entries, 10 bytes read"));
    EXPECT_TRUE(has("  entry sub/PROG.DAT: 10 bytes, CRC 0000 verified"));
    EXPECT_TRUE(has("item 2/2: file D:\\MEDIUM\\B.TXT (disk 1) -> C:\\PROG\\\\B.TXT: 13 bytes"));
    EXPECT_EQ(p.progressShown, 1) << ::testing::PrintToString(p.log);
    EXPECT_EQ(p.progressItems, (std::vector<std::string>{"checking 1/2 A", "1/2 A", "2/2 B.TXT"}));
}

}  // namespace
}  // namespace kavrel::test
