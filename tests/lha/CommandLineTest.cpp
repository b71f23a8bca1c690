// The command line of entry 301 and the name rules.
#include <gtest/gtest.h>

#include "lha/CommandLine.h"
#include "lha/SafeName.h"

namespace kavrel::lha {
namespace {

TEST(CommandLine, ReadsTheUpdateRunsExactFormat) {
    ParsedCommandLine p;
    std::string error;
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\WINDOWS \"D:\\UPDATE\\START12\" \"E:\\Program Files\\App\\sys\\\"", p, error))
        << error;
    EXPECT_EQ(p.command, Command::Extract);
    EXPECT_EQ(p.workFolder, "C:\\WINDOWS");
    EXPECT_EQ(p.archive, "D:\\UPDATE\\START12");
    EXPECT_EQ(p.destination, "E:\\Program Files\\App\\sys");
}

TEST(CommandLine, AcceptsDriveRootsBlanksAndManyBackslashes) {
    ParsedCommandLine p;
    std::string error;
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\windows \"A:BASE\" \"C:\\\\\"", p, error));
    EXPECT_EQ(p.archive, "A:BASE");
    EXPECT_EQ(p.destination, "C:\\");
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\windows \"F:\\my disk\\DATA\" \"C:\\a b\\\\\\\"", p, error));
    EXPECT_EQ(p.archive, "F:\\my disk\\DATA");
    EXPECT_EQ(p.destination, "C:\\a b");
    ASSERT_TRUE(ParseCommandLine("E -m -c -wC:\\x d.lzh dest", p, error));
    EXPECT_EQ(p.archive, "d.lzh");
    EXPECT_EQ(p.destination, "dest");
    ASSERT_TRUE(ParseCommandLine("x \"a\"", p, error));
    EXPECT_EQ(p.command, Command::ExtractWithPaths);
    EXPECT_EQ(p.destination, "");
}

TEST(CommandLine, TakesAWindowsDirectoryWithBlanksUpToTheFirstQuotedOperand) {
    ParsedCommandLine p;
    std::string error;
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\Program Files \"D:\\DISK1\\PROG\" \"E:\\App Dir\\sys\\\"", p, error))
        << error;
    EXPECT_EQ(p.command, Command::Extract);
    EXPECT_EQ(p.workFolder, "C:\\Program Files");
    EXPECT_EQ(p.archive, "D:\\DISK1\\PROG");
    EXPECT_EQ(p.destination, "E:\\App Dir\\sys");
    // the test the update run makes before installing: no destination
    ASSERT_TRUE(ParseCommandLine("t -mcwC:\\My  Windows \"D:\\DISK1\\PROG\"", p, error)) << error;
    EXPECT_EQ(p.command, Command::Test);
    EXPECT_EQ(p.workFolder, "C:\\My  Windows");
    EXPECT_EQ(p.archive, "D:\\DISK1\\PROG");
    EXPECT_EQ(p.destination, "");
    // quoted, it is one word
    ASSERT_TRUE(ParseCommandLine("e -mcw\"C:\\Program Files\" \"A\" \"B\"", p, error)) << error;
    EXPECT_EQ(p.workFolder, "C:\\Program Files");
    EXPECT_EQ(p.archive, "A");
    EXPECT_EQ(p.destination, "B");
    // double-byte characters in it (表 ends in 0x5C)
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\\x95\x5C Win \"A\" \"B\"", p, error)) << error;
    EXPECT_EQ(p.workFolder, "C:\\\x95\x5C Win");
    EXPECT_EQ(p.archive, "A");
}

TEST(CommandLine, KeepsABackslashThatEndsADoubleByteCharacter) {
    ParsedCommandLine p;
    std::string error;
    // "C:\表\" : 表 is 0x95 0x5C
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\w \"D:\\A\" \"C:\\\x95\x5C\\\"", p, error));
    EXPECT_EQ(p.destination, "C:\\\x95\x5C");
    ASSERT_TRUE(ParseCommandLine("e -mcwC:\\w \"D:\\A\" \"C:\\\x95\x5C\"", p, error));
    EXPECT_EQ(p.destination, "C:\\\x95\x5C");
    EXPECT_EQ(StripTrailingSeparators("\\\\"), "\\");
    EXPECT_EQ(StripTrailingSeparators("C:"), "C:");
}

TEST(CommandLine, RefusesWhatItCannotDo) {
    ParsedCommandLine p;
    std::string error;
    EXPECT_FALSE(ParseCommandLine("", p, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ParseCommandLine("a new.lzh file", p, error));
    EXPECT_FALSE(ParseCommandLine("e -mcwC:\\w", p, error));
    EXPECT_FALSE(ParseCommandLine("e arc dest file1 file2", p, error));
    EXPECT_FALSE(ParseCommandLine("e \"\" dest", p, error));
}

TEST(SafeName, RefusesWhatWindowsCannotCreate) {
    const std::pair<const char*, NameProblem> cases[] = {
        {"readme.txt", NameProblem::None},       {"表ソ.txt", NameProblem::None},
        {".hidden", NameProblem::None},          {"CONSOLE", NameProblem::None},
        {"COM10", NameProblem::None},            {"CON.INI.bak", NameProblem::DeviceName},
        {"", NameProblem::Empty},                {".", NameProblem::DotName},
        {"..", NameProblem::DotName},            {"CON", NameProblem::DeviceName},
        {"con", NameProblem::DeviceName},        {"CON.INI", NameProblem::DeviceName},
        {"Nul.txt", NameProblem::DeviceName},    {"AUX.tar.gz", NameProblem::DeviceName},
        {"prn", NameProblem::DeviceName},        {"COM1", NameProblem::DeviceName},
        {"com9.dat", NameProblem::DeviceName},   {"LPT1", NameProblem::DeviceName},
        {"lpt9.log", NameProblem::DeviceName},   {"CONIN$", NameProblem::DeviceName},
        {"conout$", NameProblem::DeviceName},    {"NUL .txt", NameProblem::DeviceName},
        {"COM¹", NameProblem::DeviceName},       {"a<b", NameProblem::ForbiddenChar},
        {"a>b", NameProblem::ForbiddenChar},     {"a:b", NameProblem::ForbiddenChar},
        {"C:", NameProblem::ForbiddenChar},      {"a\"b", NameProblem::ForbiddenChar},
        {"a\\b", NameProblem::ForbiddenChar},    {"a/b", NameProblem::ForbiddenChar},
        {"a|b", NameProblem::ForbiddenChar},     {"what?", NameProblem::ForbiddenChar},
        {"a*", NameProblem::ForbiddenChar},      {"a\x1b]2;x", NameProblem::ForbiddenChar},
        {"tab\there", NameProblem::ForbiddenChar}, {"del\x7f", NameProblem::ForbiddenChar},
        {"name.", NameProblem::TrailingDotOrBlank}, {"name ", NameProblem::TrailingDotOrBlank},
    };
    for (const auto& [name, problem] : cases) EXPECT_EQ(CheckComponent(name), problem) << name;
}

}  // namespace
}  // namespace kavrel::lha
