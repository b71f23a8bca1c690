// What the run finds out before it changes anything (rights, a running product, files in
// use, damaged archives), the disk each run starts from, and what it tells its log and
// progress window.
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

struct EarlyRefusal {
    const char* name;
    void (*fault)(TestSeams&);
    RunOutcome outcome;
    std::string textStart;
};

class EarlyRefusalTest : public UpdateRunTest, public ::testing::WithParamInterface<EarlyRefusal> {
protected:
    // The user may fix the cause (close the product, log on as an administrator, free
    // some space) and try again: back to the destination page, nothing registered,
    // nothing installed.
    void ExpectRefusedBeforeAnythingChanges() {
        AddItem(1, kFile, "FIRST.TXT", "");
        AddItem(1, kArchive, "A", "BIN\\");
        archives.archiveEntries["D:\\MEDIUM\\A"] = {"BIN/PROG.DAT", "PROG.INI"};
        files.AddFile("C:\\PROG\\BIN\\PROG.DAT", "old");
        files.AddFile("C:\\PROG\\FIRST.TXT", "old");
        GetParam().fault(seams);
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(outcome, GetParam().outcome);
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_THAT(user.messages[0].text, StartsWith(GetParam().textStart));
        EXPECT_EQ(user.messages[0].caption, "エラー");
        EXPECT_TRUE(registry.keys.empty());
        EXPECT_TRUE(Extractions().empty());
        EXPECT_EQ(files.FileAt("C:\\PROG\\FIRST.TXT").data, "old");
    }
};

TEST_P(EarlyRefusalTest, BackToTheFolderBeforeAnythingChanges) { ExpectRefusedBeforeAnythingChanges(); }

// An administrator's check ends with the code the run would have had.
TEST_P(EarlyRefusalTest, TheCheckEndsWithTheSameRefusal) {
    mode = RunMode::Check;
    ExpectRefusedBeforeAnythingChanges();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, EarlyRefusalTest,
    ::testing::Values(
        EarlyRefusal{"NoRightsToWrite", [](TestSeams& p) { p.files.readOnlyFolders.insert("C:\\PROG"); },
                     RunOutcome::FolderNotWritable, "インストール先に書き込めません。"},
        EarlyRefusal{"ProductRunning", [](TestSeams& p) { p.machine.runningPrograms.insert("C:\\PROG\\main.exe"); },
                     RunOutcome::ProductRunning, "製品が実行中です。"},
        EarlyRefusal{"PlainFileInUse", [](TestSeams& p) { p.files.filesInUse.insert("C:\\PROG\\FIRST.TXT"); },
                     RunOutcome::FileInUse, "更新するファイルを他のプログラムが使用しています。"},
        // The archive's stored folder is dropped: its entry lands in the item's folder.
        EarlyRefusal{"ArchiveEntryInUse", [](TestSeams& p) { p.files.filesInUse.insert("C:\\PROG\\BIN\\PROG.DAT"); },
                     RunOutcome::FileInUse, "更新するファイルを他のプログラムが使用しています。"},
        EarlyRefusal{"ArchiveEntryDenied", [](TestSeams& p) { p.files.filesDenied.insert("C:\\PROG\\BIN\\PROG.DAT"); },
                     RunOutcome::FolderNotWritable,
                     "インストール先に書き込めません。\nこの更新は管理者の権限で実行する必要があります。\n"
                     "C:\\PROG\\\\BIN\\PROG.DAT"},
        // A user who may write there has pointed a folder or a file elsewhere. Tested here
        // only: Wine shows a Linux symbolic link to a folder as a reparse point, but a
        // Windows program under it cannot make one (CreateSymbolicLinkW makes nothing).
        EarlyRefusal{"SubFolderIsALink", [](TestSeams& p) { p.files.links.insert("C:\\PROG\\BIN"); },
                     RunOutcome::LinkInTheWay, "インストール先のフォルダーまたはファイルがリンク"},
        EarlyRefusal{"ReplacedFileIsALink", [](TestSeams& p) { p.files.links.insert("C:\\PROG\\FIRST.TXT"); },
                     RunOutcome::LinkInTheWay, "インストール先のフォルダーまたはファイルがリンク"},
        EarlyRefusal{"SubFolderNotWritable", [](TestSeams& p) { p.files.readOnlyFolders.insert("C:\\PROG\\BIN"); },
                     RunOutcome::FolderNotWritable, "インストール先に書き込めません。"},
        // Every item's new bytes at once: 17 for FIRST.TXT, 2 x 10 for the archive's entries.
        EarlyRefusal{"NotEnoughSpace", [](TestSeams& p) { p.files.freeBytes = 36; }, RunOutcome::NotEnoughSpace,
                     "インストール先のドライブの空き容量が足りません。\n空き容量を増やすか、別のフォルダーを選んでください。\n"
                     "C:\\PROG\\\\\n必要: 37 バイト、空き: 36 バイト"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, EveryArchiveOnAFixedMediumIsTestedBeforeTheFirstChange) {
    AddItem(1, kArchive, "A", "");
    AddItem(2, kArchive, "B", "");
    AddItem(3, kArchive, "C", "");
    std::vector<std::string> order;
    archives.onArchiveCommand = [&](const std::string& line, std::string& output) {
        order.push_back(line.substr(0, 1) + (registry.keys.empty() ? " before" : " after"));
        if (line[0] == 't' && line.find("MEDIUM\\C\"") != std::string::npos) {
            output = "C is damaged";
            return 1;
        }
        return 0;
    };
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage("C is damaged", "確認");
    EXPECT_EQ(order, (std::vector<std::string>{"t before", "t before", "t before"}));
    EXPECT_EQ(archives.Commands('t')[0], "t -mcwC:\\WINDOWS \"D:\\MEDIUM\\A\"");
}

// A floppy's archives are tested when it is in the drive, before the first of them is
// extracted; the archives of disk 1 before anything at all.
TEST_F(UpdateRunTest, FloppyArchivesAreTestedWhenTheirDiskIsIn) {
    UseRemovableMedium();
    AddItem(1, kArchive, "A", "");
    AddItem(1, kArchive, "B", "");
    AddItem(2, kArchive, "C", "");
    AddItem(2, kFile, "D.TXT", "");
    AddItem(3, kArchive, "E", "");
    std::vector<std::string> calls;
    archives.onArchiveCommand = [&](const std::string& line, std::string&) {
        calls.push_back(line.substr(0, 1) + line.substr(line.find("DISK\\") + 5, 1));
        return 0;
    };
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        calls.push_back(m.text == kM10 ? "M10" : "prompt");
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"tA", "tB", "eA", "eB", "prompt", "tC", "eC", "prompt", "tE", "eE",
                                               "M10"}));
}

TEST_F(UpdateRunTest, DamagedArchiveOnALaterDiskStopsBeforeItsDiskIsTouched) {
    UseRemovableMedium();
    AddItem(1, kArchive, "A", "");
    AddItem(2, kFile, "B.TXT", "");
    AddItem(2, kArchive, "C", "");
    archives.onArchiveCommand = [&](const std::string& line, std::string& output) {
        if (line[0] != 't' || line.find("DISK\\C\"") == std::string::npos) return 0;
        output = "C is damaged";
        return 1;
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), "C is damaged"}));
    EXPECT_FALSE(files.HasFile("C:\\PROG\\B.TXT"));
    EXPECT_EQ(Extractions().size(), 1u);
}

// With no system name a per-system archive can never be found on any disk: the run
// stops before it asks for one, and before anything changes.
TEST_F(UpdateRunTest, NoSystemNameStopsBeforeTheDiskPrompt) {
    UseRemovableMedium();
    files.Remove("C:\\PROG\\SYS12.ico");
    AddItem(1, kArchive, "A", "");
    AddItem(2, kArchive, "START", "", false);
    files.AddFile("F:\\DISK\\START3.lzh");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(outcome, RunOutcome::NoSystemName);
    EXPECT_EQ(Texts(), (std::vector<std::string>{kM6}));
    EXPECT_TRUE(Extractions().empty());
    EXPECT_TRUE(registry.keys.empty());
}

// The file type is registered only once the disk of the first item is in and tested.
TEST_F(UpdateRunTest, FirstItemOnALaterDiskIsTestedBeforeTheRegistration) {
    UseRemovableMedium();
    AddItem(2, kArchive, "A", "");
    AddItem(2, kFile, "B.TXT", "");
    std::vector<std::string> order;
    const auto when = [&] { return registry.keys.empty() ? " before" : " after"; };
    archives.onArchiveCommand = [&](const std::string& line, std::string&) {
        order.push_back(line.substr(0, 1) + when());
        return 0;
    };
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        order.push_back((m.text == kM10 ? "M10" : "prompt") + std::string(when()));
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(order, (std::vector<std::string>{"prompt before", "t before", "e after", "M10 after"}));
}

// A run that ended with disk 2 in the drive: the next one must not read disk 2 as disk 1.
TEST_F(UpdateRunTest, NextRunAsksForDiskOneWhenAnotherDiskWasLeftIn) {
    UseRemovableMedium();
    AddItem(1, kArchive, "A", "");
    AddItem(2, kArchive, "B", "");
    AddItem(2, kFile, "C.TXT", "");
    files.AddFile("C:\\PROG\\C.TXT", "old");
    files.filesInUse.insert("C:\\PROG\\C.TXT");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[0], M4(2));
    EXPECT_EQ(medium.diskInDrive, 2);

    // The user closes the program that held the file and confirms again; disk 1 is
    // asked for before anything.
    files.filesInUse.clear();
    user.messages.clear();
    registry.keys.clear();
    std::vector<bool> registeredAtPrompt;
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        if (m.buttons == MessageButtons::OkCancel) registeredAtPrompt.push_back(!registry.keys.empty());
    };
    user.waitCursorsBegun = 0;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(1), M4(2), kM10}));
    EXPECT_EQ(registeredAtPrompt, (std::vector<bool>{false, true}));
}

TEST_F(UpdateRunTest, WithinOneRunDiskOneIsNeverAskedFor) {
    UseRemovableMedium();
    medium.diskInDrive = 1;
    AddItem(2, kArchive, "A", "");
    AddItem(1, kArchive, "B", "");
    AddItem(2, kArchive, "C", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), kM10}));
    EXPECT_EQ(medium.diskInDrive, 2);
}

// No one can swap a floppy for an unattended run: it ends with its own outcome.
TEST_F(UpdateRunTest, UnattendedRunNeedingAnotherDiskEnds) {
    UseRemovableMedium();
    user.unattended = true;
    AddItem(1, kArchive, "A", "");
    AddItem(2, kArchive, "B", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::DiskNeeded);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2)}));
    EXPECT_EQ(Extractions().size(), 1u);
    EXPECT_THAT(log.events, Contains(StartsWith("disk 2 is needed")));
}

struct NamedOutcome {
    const char* name;
    void (*setUp)(UpdateRunTest&, TestSeams&);
    RunOutcome outcome;
};

class NamedOutcomeTest : public UpdateRunTest, public ::testing::WithParamInterface<NamedOutcome> {
public:
    void Item(int disk, ItemKind kind, const std::string& name) { AddItem(disk, kind, name, ""); }
    void Removable() { UseRemovableMedium(); }
};

// Each way a run can end has a name of its own, and the page graph's 0 or 1 follows from it.
TEST_P(NamedOutcomeTest, EachEndingIsNamed) {
    GetParam().setUp(*this, seams);
    Run();
    EXPECT_EQ(outcome, GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, NamedOutcomeTest,
    ::testing::Values(
        NamedOutcome{"Completed", [](UpdateRunTest&, TestSeams&) {}, RunOutcome::Completed},
        NamedOutcome{"FolderRefused", [](UpdateRunTest&, TestSeams& p) { p.files.AddFile("C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini"); },
                     RunOutcome::FolderRefused},
        NamedOutcome{"NoMainProgram", [](UpdateRunTest&, TestSeams& p) { p.files.Remove("C:\\PROG\\main.exe"); },
                     RunOutcome::VersionRefused},
        NamedOutcome{"Cancelled",
                     [](UpdateRunTest& t, TestSeams& p) {
                         static_cast<NamedOutcomeTest&>(t).Removable();
                         static_cast<NamedOutcomeTest&>(t).Item(2, ItemKind::Archive, "A");
                         p.user.answers = {MessageAnswer::Cancel};
                     },
                     RunOutcome::Cancelled},
        NamedOutcome{"CopyFailed",
                     [](UpdateRunTest& t, TestSeams& p) {
                         static_cast<NamedOutcomeTest&>(t).Item(1, ItemKind::PlainFile, "A.TXT");
                         p.files.failCopyTo.insert("C:\\PROG\\A.TXT");
                     },
                     RunOutcome::CopyFailed},
        NamedOutcome{"AttributesFailed",
                     [](UpdateRunTest& t, TestSeams& p) {
                         static_cast<NamedOutcomeTest&>(t).Item(1, ItemKind::PlainFile, "A.TXT");
                         p.files.failSetStatus.insert("C:\\PROG\\A.TXT");
                     },
                     RunOutcome::AttributesFailed}),
    [](const auto& info) { return std::string(info.param.name); });

// The log follows the run: the checks with their paths, the registry, every item and
// every entry once it is in place; the progress shows each item, tests first.
TEST_F(UpdateRunTest, LogAndProgressFollowTheRun) {
    AddItem(1, kArchive, "A", "BIN\\");
    AddItem(1, kFile, "B.TXT", "");
    archives.archiveEntries["D:\\MEDIUM\\A"] = {"sub/PROG.DAT"};
    EXPECT_EQ(Run(), 1);
    const auto has = [&](const std::string& part) {
        return ::testing::Value(log.events, Contains(HasSubstr(part)));
    };
    EXPECT_TRUE(has("settings file C:\\PROG\\ZAVURE\\Ges\\pemsoa1.ini: not found (folder accepted)"));
    EXPECT_TRUE(has("program C:\\PROG\\\\\\main.exe: found")) << ::testing::PrintToString(log.events);
    EXPECT_TRUE(has("installed \"V6.1\", wanted \"V6.1\": accepted"));
    EXPECT_TRUE(has("icon SYS12.ico: system 12"));
    EXPECT_TRUE(has("registry HKEY_CLASSES_ROOT\\veskofile\\shell\\open\\command\\ = \"\"C:\\PROG\\\\main.exe\" \"%1\"\""));
    EXPECT_TRUE(has("item 1/2: archive D:\\MEDIUM\\A.lzh (disk 1) -> C:\\PROG\\\\BIN\\: 1 entries, 10 bytes read"));
    EXPECT_TRUE(has("  entry sub/PROG.DAT: 10 bytes, CRC 0000 verified"));
    EXPECT_TRUE(has("item 2/2: file D:\\MEDIUM\\B.TXT (disk 1) -> C:\\PROG\\\\B.TXT: 13 bytes"));
    EXPECT_EQ(user.progressShown, 1) << ::testing::PrintToString(log.events);
    EXPECT_EQ(user.progressItems, (std::vector<std::string>{"checking 1/2 A", "1/2 A", "2/2 B.TXT"}));
}

}  // namespace
}  // namespace kavrel::test
