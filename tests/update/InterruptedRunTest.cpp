// One run at a time on an installation, and an update that did not finish: the same
// medium finishes it, another medium is told of it.
#include "update/Journal.h"
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

constexpr char kWork[] = "C:\\PROG\\~Kavrel";
constexpr char kConfigV8[] = "<Config>\r\n  <Version>V8</Version>\r\n</Config>\r\n";

class InterruptedRunTest : public UpdateRunTest {
protected:
    void SetUp() override {
        UpdateRunTest::SetUp();
        desc.m_strHeader[0] = "Morvane V8";
        files.AddFile(source + "info.txt", "the medium's description");
        // The first item writes the new version; the second one is an archive.
        AddItem(1, kFile, "CONFIGDATA.XML", "");
        files.AddFile(source + "CONFIGDATA.XML", kConfigV8);
        AddItem(1, kArchive, "DATA", "");
    }
    void LeaveJournal(const std::string& infoSha256) {
        JournalState s{"Morvane V8", "V6.1", infoSha256, "V6.1", 1, 2};
        files.AddFile(std::string(kWork) + "\\journal.txt", FormatJournal(s));
        files.AddFile("C:\\PROG\\ConfigData.xml", kConfigV8);
    }
    std::string ThisMedium() { return FileSha256(*seams.hashing, files, source + "info.txt"); }
    void FailExtraction() {
        archives.onArchiveCommand = [](const std::string& line, std::string& output) {
            output = "damaged";
            return line[0] == 'e' ? 1 : 0;
        };
    }
};

TEST_F(InterruptedRunTest, ASecondRunOnTheSameInstallationEndsAtOnceAndChangesNothing) {
    files.lockedWorkFolders.insert(kWork);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::AnotherRun);
    EXPECT_EQ(ExitCodeFor(outcome), ExitCode::AnotherRun);
    EXPECT_TRUE(archives.archiveCommands.empty());
    EXPECT_TRUE(registry.keys.empty());
    EXPECT_THAT(files.FileAt("C:\\PROG\\ConfigData.xml").data, HasSubstr("V6.1"));
}

TEST_F(InterruptedRunTest, ARunThatStopsKeepsItsJournalAndTheSameMediumFinishesIt) {
    FailExtraction();
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::ArchiveFailed);
    ASSERT_TRUE(files.HasFile(std::string(kWork) + "\\journal.txt"));
    const auto left = ParseJournal(files.FileAt(std::string(kWork) + "\\journal.txt").data);
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(left->begunFrom, "V6.1");
    EXPECT_EQ(left->itemsDone, 1);
    EXPECT_EQ(files.FileAt("C:\\PROG\\ConfigData.xml").data, kConfigV8);

    archives.onArchiveCommand = nullptr;
    user.messages.clear();
    user.waitCursorsBegun = 0;  // one per run
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::Completed);
    EXPECT_FALSE(files.HasFolder(kWork));
    EXPECT_THAT(log.events, Contains(HasSubstr("did not finish (this medium)")));
}

TEST_F(InterruptedRunTest, AnotherMediumIsToldThatAnEarlierUpdateDidNotFinish) {
    LeaveJournal(std::string(64, '0'));
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(outcome, RunOutcome::EarlierUpdateUnfinished);
    EXPECT_EQ(ExitCodeFor(outcome), ExitCode::EarlierUpdateUnfinished);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_THAT(user.messages[0].text, HasSubstr("「Morvane V8」"));
    EXPECT_TRUE(registry.keys.empty());
    // The journal stays for the medium that can finish it.
    EXPECT_TRUE(files.HasFile(std::string(kWork) + "\\journal.txt"));
}

TEST_F(InterruptedRunTest, AJournalOfThisMediumLetsItFinishFromTheNewVersion) {
    LeaveJournal(ThisMedium());
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::Completed);
    EXPECT_FALSE(files.HasFolder(kWork));
}

}  // namespace
}  // namespace kavrel::test
