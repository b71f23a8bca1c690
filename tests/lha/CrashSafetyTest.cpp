// A kill or a power cut at any step of a commit in Kavrel's work folder, then the next
// run's recovery: every target holds its old or its new bytes, the archive is all old or
// all new, and nothing of Kavrel's is left in the work folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "lha/Staging.h"
#include "tests/support/MemoryStaging.h"

namespace kavrel::lha {
namespace {

using ::testing::UnorderedElementsAre;
using ::testing::IsEmpty;

constexpr char kWork[] = "C:\\PROG\\~Kavrel";

struct Target {
    const char* folder;
    const char* path;
    const char* oldBytes;  // null: a new file
    const char* newBytes;
};
constexpr Target kTargets[] = {
    {"C:\\PROG\\", "C:\\PROG\\main.exe", "old main", "new main"},
    {"C:\\PROG\\SUB\\", "C:\\PROG\\SUB\\data.bin", "old data", "new data, longer"},
    {"C:\\PROG\\", "C:\\PROG\\added.txt", nullptr, "added"},
    // an entry named like a set-aside file is an entry like any other
    {"C:\\PROG\\", "C:\\PROG\\old0.tmp", "old old0", "new old0"},
};

class InstallationOnly : public TargetRule {
public:
    bool MayTouch(const std::string& target) const override { return target.rfind("C:\\PROG\\", 0) == 0; }
};

// Stages and commits every target; the file system stops at step `killAt`.
void Install(test::MemoryStaging& fs) {
    Staging staging(fs, kWork);
    for (const Target& t : kTargets) {
        std::unique_ptr<OutputFile> out = staging.Add(t.folder, t.path);
        if (!out) return;
        if (!out->Write(t.newBytes, std::strlen(t.newBytes)) || !out->Close()) return;
    }
    std::string error;
    staging.Commit(error);
}

// "new", "old" or "missing" for each target, in order.
std::vector<std::string> States(test::MemoryFiles& files) {
    std::vector<std::string> states;
    for (const Target& t : kTargets) {
        if (!files.HasFile(t.path)) {
            states.push_back(t.oldBytes ? "lost" : "missing");
        } else {
            const std::string& data = files.FileAt(t.path).data;
            states.push_back(data == t.newBytes ? "new" : t.oldBytes && data == t.oldBytes ? "old" : "damaged");
        }
    }
    return states;
}

TEST(CrashSafety, AKillOrAPowerCutAtAnyStepIsRecoveredToAllOldOrAllNew) {
    const std::vector<std::string> allNew(std::size(kTargets), "new");
    const std::vector<std::string> allOld{"old", "old", "missing", "old"};
    for (const bool links : {true, false}) {
    for (const bool powerCut : {false, true}) {
        for (int killAt = 0;; ++killAt) {
            SCOPED_TRACE((powerCut ? "power cut at step " : "kill at step ") + std::to_string(killAt) +
                         (links ? ", hard links" : ", no hard links (FAT)"));
            test::MemoryFiles files;
            files.AddFolder(kWork);
            files.AddFolder("C:\\PROG\\SUB");
            for (const Target& t : kTargets) {
                if (t.oldBytes) files.AddFile(t.path, t.oldBytes, 0x01 /* read-only */);
            }
            test::MemoryStaging fs(files);
            fs.failFrom = killAt;
            fs.losesUnflushedData = powerCut;
            fs.linksWork = links;
            Install(fs);
            const bool finished = fs.steps < killAt;

            fs.failFrom = -1;
            const Recovery r = RecoverCommit(fs, kWork, InstallationOnly());
            const std::vector<std::string> states = States(files);
            EXPECT_TRUE(states == allNew || states == allOld) << ::testing::PrintToString(states);
            EXPECT_THAT(fs.ListFiles(kWork), IsEmpty());
            EXPECT_THAT(r.keptFiles, IsEmpty());
            for (const Target& t : kTargets) {
                if (t.oldBytes && states[0] == "old") {
                    EXPECT_EQ(files.FileAt(t.path).status.attributes, 0x01u);
                }
            }
            if (finished) {
                EXPECT_EQ(states, allNew);
                break;
            }
        }
    }
    }
}

TEST(CrashSafety, ARecordThatNamesAFileOutsideTheInstallationIsIgnored) {
    test::MemoryFiles files;
    files.AddFolder(kWork);
    files.AddFile("C:\\WINDOWS\\system32\\kernel32.dll", "system");
    files.AddFile(std::string(kWork) + "\\new0.tmp", "planted");
    files.AddFile(std::string(kWork) + "\\old0.tmp", "kept");
    files.AddFile(std::string(kWork) + "\\commit.lst",
                  "kavrel commit 1\nC:\\WINDOWS\\system32\\kernel32.dll\tnew0.tmp\told0.tmp\nend\n");
    test::MemoryStaging fs(files);
    const Recovery r = RecoverCommit(fs, kWork, InstallationOnly());
    EXPECT_TRUE(r.recordIgnored);
    EXPECT_EQ(files.FileAt("C:\\WINDOWS\\system32\\kernel32.dll").data, "system");
    // Its staged file goes; an old file it names may be someone's, so it stays.
    EXPECT_THAT(fs.ListFiles(kWork), UnorderedElementsAre("commit.lst", "old0.tmp"));
}

}  // namespace
}  // namespace kavrel::lha
