// The item loop: disk prompts on a removable medium, target folders, plain copies.
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

struct DiskSequence {
    const char* name;
    std::vector<int> disks;
    bool removable;
    std::vector<std::string> messages;
    std::vector<std::size_t> extractedBeforePrompt;  // archives done when each prompt shows
};

class DiskSequenceTest : public UpdateRunTest, public ::testing::WithParamInterface<DiskSequence> {};

TEST_P(DiskSequenceTest, PromptsOnlyForANewDiskOnARemovableMedium) {
    const auto& c = GetParam();
    if (c.removable) UseRemovableMedium();
    for (std::size_t i = 0; i < c.disks.size(); ++i) AddItem(c.disks[i], kArchive, "ITEM" + std::to_string(i), "");
    std::vector<std::size_t> extracted;
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        if (m.buttons == MessageButtons::OkCancel) extracted.push_back(Extractions().size());
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), c.messages);
    EXPECT_EQ(extracted, c.extractedBeforePrompt);
    EXPECT_EQ(Extractions().size(), c.disks.size());
    for (const auto& m : user.messages) {
        EXPECT_EQ(m.caption, "確認");
        EXPECT_EQ(m.buttons, m.text == kM10 ? MessageButtons::Ok : MessageButtons::OkCancel);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Disks, DiskSequenceTest,
    ::testing::Values(
        DiskSequence{"OneTwoTwoThree", {1, 2, 2, 3}, true, {M4(2), M4(3), kM10}, {1, 3}},
        DiskSequence{"TwoOneTwo", {2, 1, 2}, true, {M4(2), kM10}, {0}},
        DiskSequence{"AllOnDiskOne", {1, 1, 1}, true, {kM10}, {}},
        DiskSequence{"FixedMedium", {1, 2, 2, 3}, false, {kM10}, {}},
        DiskSequence{"FixedMediumTwoOneTwo", {2, 1, 2}, false, {kM10}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRunTest, PromptRepeatsUntilTheArchiveIsThere) {
    UseRemovableMedium();
    AddItem(1, kArchive, "A", "");
    AddItem(2, kArchive, "B", "", false);
    int prompts = 0;
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        // The third time the user really inserts disk 2.
        if (m.buttons == MessageButtons::OkCancel && ++prompts == 3) files.AddFile("F:\\DISK\\B.lzh");
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), M4(2), M4(2), kM10}));
    EXPECT_EQ(Extractions().size(), 2u);
}

TEST_F(UpdateRunTest, CancelAtThePromptKeepsWhatIsInstalled) {
    UseRemovableMedium();
    AddItem(1, kArchive, "A", "");
    AddItem(2, kFile, "B.TXT", "NEW\\", false);
    AddItem(2, kArchive, "C", "");
    user.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), M4(2), kM5}));
    EXPECT_EQ(user.messages[2].caption, "確認");
    EXPECT_EQ(user.messages[2].buttons, MessageButtons::Ok);
    EXPECT_EQ(Extractions().size(), 1u);
    EXPECT_FALSE(files.HasFolder("C:\\PROG\\NEW"));
}

// A plain file or a per-system archive never lies on a disk as "<name>.lzh"; the disk is
// recognised by the file the item really needs.
TEST_F(UpdateRunTest, NewDiskRecognisedByThePlainFileOrTheSystemArchive) {
    UseRemovableMedium();
    AddItem(2, kFile, "README.TXT", "");
    AddItem(3, kArchive, "START", "", false);
    files.AddFile("F:\\DISK\\START12.lzh");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{M4(2), M4(3), kM10}));
    EXPECT_TRUE(files.HasFile("C:\\PROG\\README.TXT"));
}

TEST_F(UpdateRunTest, PlainFileKeepsItsSourcePathAndDropsItsDirectory) {
    AddItem(1, kFile, "SUB\\README.TXT", "DOC\\");
    files.AddFile("C:\\PROG\\DOC\\README.TXT", "old");  // replaced
    files.AddFile(source + "SUB\\README.TXT", "new text", 0x01 | 0x02 | 0x20);
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(kM10, "確認");
    const auto& copy = files.FileAt("C:\\PROG\\DOC\\README.TXT");
    EXPECT_EQ(copy.data, "new text");
    EXPECT_EQ(copy.status.attributes, 0u);
    EXPECT_EQ(copy.status.creationTime, 1000u);
    EXPECT_EQ(copy.status.lastWriteTime, 2000u);
    EXPECT_EQ(copy.status.lastAccessTime, 3000u);
    EXPECT_FALSE(files.HasFolder("C:\\PROG\\DOC\\SUB"));
}

TEST_F(UpdateRunTest, TargetFolderIsCreatedOneLevelOnly) {
    AddItem(1, kArchive, "A", "NEW\\");
    AddItem(1, kArchive, "B", "");
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(files.HasFolder("C:\\PROG\\NEW"));
    EXPECT_TRUE(files.HasFile("C:\\PROG\\main.exe"));
}

// Windows refuses to copy over a read-only file; its replacement loses every attribute
// anyway, so the flag is cleared first.
TEST_F(UpdateRunTest, ReadOnlyInstalledFileIsReplaced) {
    AddItem(1, kFile, "README.TXT", "DOC\\");
    files.AddFile("C:\\PROG\\DOC\\README.TXT", "old", 0x01 | 0x20);
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(kM10, "確認");
    EXPECT_EQ(files.FileAt("C:\\PROG\\DOC\\README.TXT").data, "data of README.TXT");
    EXPECT_EQ(files.FileAt("C:\\PROG\\DOC\\README.TXT").status.attributes, 0u);
}

TEST_F(UpdateRunTest, ReadOnlyInstalledFileKeepsItsAttributesWhenTheCopyFails) {
    AddItem(1, kFile, "README.TXT", "DOC\\");
    files.AddFile("C:\\PROG\\DOC\\README.TXT", "old", 0x01 | 0x02);
    files.failCopyTo.insert("C:\\PROG\\DOC\\README.TXT");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::CopyFailed);
    EXPECT_EQ(files.FileAt("C:\\PROG\\DOC\\README.TXT").data, "old");
    EXPECT_EQ(files.FileAt("C:\\PROG\\DOC\\README.TXT").status.attributes, 0x03u);
}

struct PlainFailure {
    const char* name;
    void (*fault)(TestSeams&);
    std::string text;
};

class PlainFailureTest : public UpdateRunTest, public ::testing::WithParamInterface<PlainFailure> {};

TEST_P(PlainFailureTest, ReportedAndTheItemsAfterAreNotTouched) {
    AddItem(1, kFile, "FIRST.TXT", "");
    AddItem(1, kFile, "SUB\\F.DAT", "DEEP\\ER\\");
    AddItem(1, kArchive, "LAST", "");
    GetParam().fault(seams);
    EXPECT_EQ(Run(), 1);
    ExpectOnlyMessage(GetParam().text, "確認");
    EXPECT_TRUE(files.HasFile("C:\\PROG\\FIRST.TXT"));
    EXPECT_TRUE(Extractions().empty());
}

constexpr const char* kDeepDestination = "C:\\PROG\\\\DEEP\\ER\\F.DAT";
constexpr const char* kDeepKey = "C:\\PROG\\DEEP\\ER\\F.DAT";

INSTANTIATE_TEST_SUITE_P(
    Faults, PlainFailureTest,
    ::testing::Values(
        PlainFailure{"TargetFolderTwoLevelsDeep", [](TestSeams&) {},
                     std::string(kDeepDestination) + "の更新に失敗しました。"},
        PlainFailure{"CopyFails",
                     [](TestSeams& p) {
                         p.files.AddFolder("C:\\PROG\\DEEP\\ER");
                         p.files.failCopyTo.insert(kDeepKey);
                     },
                     std::string(kDeepDestination) + "の更新に失敗しました。"},
        PlainFailure{"SourceMissing",
                     [](TestSeams& p) {
                         p.files.AddFolder("C:\\PROG\\DEEP\\ER");
                         p.files.Remove("D:\\MEDIUM\\SUB\\F.DAT");
                     },
                     std::string(kDeepDestination) + "の更新に失敗しました。"},
        PlainFailure{"StatusUnreadable",
                     [](TestSeams& p) {
                         p.files.AddFolder("C:\\PROG\\DEEP\\ER");
                         p.files.failGetStatus.insert(kDeepKey);
                     },
                     "D:\\MEDIUM\\SUB\\F.DATの属性更新に失敗しました。"},
        PlainFailure{"StatusNotWritten",
                     [](TestSeams& p) {
                         p.files.AddFolder("C:\\PROG\\DEEP\\ER");
                         p.files.failSetStatus.insert(kDeepKey);
                     },
                     "D:\\MEDIUM\\SUB\\F.DATの属性更新に失敗しました。"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavrel::test
