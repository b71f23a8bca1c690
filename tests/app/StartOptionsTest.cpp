// The command line as deployment tools write it: switches in any case and order, /D= last
// with blanks and no quotes, quoted values, and every malformed form refused.
#include <gtest/gtest.h>

#include "update/Outcome.h"
#include "app/StartOptions.h"

namespace kavrel {
namespace {

StartOptions Parse(std::string_view line) {
    StartOptions options;
    std::string error;
    EXPECT_TRUE(ParseStartOptions(line, options, error)) << line << ": " << error;
    return options;
}

TEST(StartOptionsTest, NothingGivenStartsTheWizard) {
    const StartOptions o = Parse("");
    EXPECT_FALSE(o.unattended);
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(o.folder.empty());
    EXPECT_TRUE(o.logFile.empty());
}

TEST(StartOptionsTest, SwitchesInAnyCaseAndOrder) {
    for (const char* line : {"/S /LOG=E:\\update.log /D=E:\\MORVANE", "/log=E:\\update.log /s /d=E:\\MORVANE",
                             "  /S\t/Log=E:\\update.log   /D=E:\\MORVANE  "}) {
        const StartOptions o = Parse(line);
        EXPECT_TRUE(o.unattended) << line;
        EXPECT_EQ(o.logFile, "E:\\update.log") << line;
        EXPECT_EQ(o.folder, "E:\\MORVANE") << line;
    }
}

TEST(StartOptionsTest, FolderIsTheRestOfTheLineBlanksIncluded) {
    EXPECT_EQ(Parse("/S /D=C:\\Program Files\\Morvane Pro\\").folder, "C:\\Program Files\\Morvane Pro\\");
    EXPECT_EQ(Parse("/D=C:\\A  B  ").folder, "C:\\A  B");
    // Quoted, whole or the value only; a closing backslash does not swallow the quote.
    EXPECT_EQ(Parse("/D=\"C:\\Program Files\\Morvane\\\"").folder, "C:\\Program Files\\Morvane\\");
    EXPECT_EQ(Parse("\"/D=C:\\Program Files\\Morvane\"").folder, "C:\\Program Files\\Morvane");
    // What would look like a switch after /D= is part of the folder.
    EXPECT_EQ(Parse("/D=C:\\X /S").folder, "C:\\X /S");
    EXPECT_FALSE(Parse("/D=C:\\X /S").unattended);
}

TEST(StartOptionsTest, QuotedLogFile) {
    EXPECT_EQ(Parse("/LOG=\"C:\\My Logs\\kavrel.log\" /S").logFile, "C:\\My Logs\\kavrel.log");
    EXPECT_EQ(Parse("\"/LOG=C:\\My Logs\\kavrel.log\"").logFile, "C:\\My Logs\\kavrel.log");
    EXPECT_EQ(Parse("/LOG=relative.log").logFile, "relative.log");
}

TEST(StartOptionsTest, CheckWithOrWithoutUnattended) {
    EXPECT_TRUE(Parse("/CHECK").check);
    EXPECT_FALSE(Parse("/CHECK").unattended);
    const StartOptions o = Parse("/s /check /D=E:\\MORVANE");
    EXPECT_TRUE(o.check && o.unattended);
    EXPECT_FALSE(Parse("/S").check);
}

TEST(StartOptionsTest, HelpAloneOrWithOthers) {
    EXPECT_TRUE(Parse("/?").help);
    EXPECT_TRUE(Parse("/S /?").help);
}

TEST(StartOptionsTest, MalformedSwitchesAreUsageErrors) {
    for (const char* line : {"/X", "-S", "/SILENT", "/S=1", "/S /S", "/LOG", "/LOG=", "/LOG=\"\"", "/LOG=a /LOG=b",
                             "/D=", "/D=  ", "/D=\"\"", "update.lzh", "/DIR=C:\\X", "//S",
                             "/CHECK /CHECK", "/CHECKS", "/CHECK=1"}) {
        StartOptions o;
        std::string error;
        EXPECT_FALSE(ParseStartOptions(line, o, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(StartOptionsTest, UnattendedIsSeenEvenInALineThatFails) {
    EXPECT_TRUE(MentionsUnattended("/S /X"));
    EXPECT_TRUE(MentionsUnattended("/x \"/s\""));
    EXPECT_FALSE(MentionsUnattended("/X /SILENT"));
}

TEST(StartOptionsTest, ArgumentsFollowTheProgramName) {
    EXPECT_EQ(ArgumentsOf("\"D:\\My Update\\Kavrel.exe\" /S /D=C:\\X"), "/S /D=C:\\X");
    EXPECT_EQ(ArgumentsOf("Kavrel.exe  /S"), "/S");
    EXPECT_EQ(ArgumentsOf("D:\\Kavrel.exe"), "");
    EXPECT_EQ(ArgumentsOf("\"D:\\Kavrel.exe\""), "");
}

}  // namespace
}  // namespace kavrel
