// The table of outcomes is what deployment tools and the README rely on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

#include "support/FakeSeams.h"
#include "support/HostPath.h"
#include "update/Outcome.h"

namespace kavrel {
namespace {

using ::testing::ContainerEq;

std::set<int> ListedCodes() {
    std::set<int> codes;
    for (const ExitCodeInfo& info : kExitCodes) codes.insert(static_cast<int>(info.code));
    return codes;
}

TEST(OutcomeTable, EveryOutcomeHasItsRowAndAListedCode) {
    const std::set<int> listed = ListedCodes();
    EXPECT_EQ(listed.size(), std::size(kExitCodes)) << "a code listed twice";
    int expected = 0;
    for (const OutcomeRow& row : OutcomeRows()) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(static_cast<int>(row.outcome), expected++) << "rows follow RunOutcome";
        EXPECT_EQ(&RowOf(row.outcome), &row);
        const int code = static_cast<int>(row.code);
        EXPECT_TRUE(listed.count(code));
        EXPECT_EQ(code == 0, row.outcome == RunOutcome::Completed);
        EXPECT_EQ(row.caption == nullptr, row.text == nullptr);
        if (row.backToDestination) {
            EXPECT_STREQ(row.caption, row.outcome == RunOutcome::NoSystemName ? "更新エラー" : "エラー");
        }
    }
    EXPECT_EQ(expected, static_cast<int>(RunOutcome::MediumAltered) + 1);
    for (int retry : {1641, 3010, 1618}) EXPECT_FALSE(listed.count(retry)) << retry;
}

TEST(OutcomeTable, TheReadmeListsExactlyTheseCodes) {
        std::ifstream readme(test::HostPath(KAVREL_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme) << "README.md";
    std::set<int> documented;
    const std::regex row(R"(^\| (\d+) \| )");
    for (std::string line; std::getline(readme, line);) {
        std::smatch m;
        if (std::regex_search(line, m, row)) documented.insert(std::stoi(m[1]));
    }
    EXPECT_THAT(documented, ContainerEq(ListedCodes()));
}

TEST(OutcomeTable, EndRunShowsTheRowWithItsDetailAndLogsItsCode) {
    test::ScriptedDialogue user;
    test::RecordingLog log;
    EXPECT_EQ(EndRun(user, log, RunOutcome::CopyFailed, "C:\\P\\A.TXT"), RunOutcome::CopyFailed);
    EXPECT_EQ(EndRun(user, log, RunOutcome::DiskNeeded, "disk 2 is needed"), RunOutcome::DiskNeeded);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].caption, "確認");
    EXPECT_EQ(user.messages[0].text, "C:\\P\\A.TXTの更新に失敗しました。");
    EXPECT_THAT(log.events, ::testing::ElementsAre("run outcome: copy failed, exit code 31", "disk 2 is needed",
                                                    "run outcome: disk needed, exit code 21"));
}

}  // namespace
}  // namespace kavrel
