#include <gtest/gtest.h>

#include <optional>

#include "checks/VersionCheck.h"
#include "support/FakeSeams.h"

namespace kavrel {
namespace {

using test::MemoryFiles;
using test::RecordingLog;

TEST(GetTagContent, Cases) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string line;
        int expected;
        std::string lineAfter;
    } const cases[] = {
        {"content after blanks", "  <Version>V6.1</Version>\n", 11, "  <Version>V6.1"},
        {"line start", "<Version>V8</Version>", 9, "<Version>V8"},
        {"empty content", "<Version></Version>\n", 9, "<Version>"},
        {"first pair of several", "<Version>A</Version><Version>B</Version>", 9, "<Version>A"},
        {"no opening tag", "V6.1</Version>\n", 0, "V6.1</Version>\n"},
        {"no closing tag", "<Version>V6.1\n", 0, "<Version>V6.1\n"},
        {"other letter case", "<version>V6.1</version>\n", 0, "<version>V6.1</version>\n"},
        {"blank inside a tag", "<Version >V6.1</Version>", 0, "<Version >V6.1</Version>"},
        {"empty line", "", 0, ""},
        {"closing tag first: cut there, index beyond", "x</Version>y<Version>V8\n", 21, "x"},
        {"NUL bytes are ordinary bytes", "\0<Version>V\0" "8</Version>\0"s, 10,
         "\0<Version>V\0" "8"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string line = c.line;
        EXPECT_EQ(GetTagContent("<Version>", "</Version>", line), c.expected);
        EXPECT_EQ(line, c.lineAfter);
    }
}

struct VersionCase {
    const char* name;
    std::string target;
    std::optional<std::string> file;  // ConfigData.xml, or none
    int expected;
    std::string folder = "C:\\PROG\\";
};

std::string Tagged(const std::string& version) { return "<Version>" + version + "</Version>"; }

TEST(CheckVersion, Cases) {
    using namespace std::string_literals;
    const std::string megabyte(1 << 20, 'x');
    const std::string over127 = std::string(120, ' ') + Tagged("V8") + "\n";  // cut at 127
    const std::string next127 = std::string(127, ' ') + Tagged("V8") + "\n";  // 2nd piece
    const VersionCase cases[] = {
        {"blanks before the tag", "V6.1", "<Config>\n  " + Tagged("V6.1") + "\n</Config>\n", 1},
        {"V8", "V8", Tagged("V8") + "\n", 1},
        {"V6.2", "V6.2", Tagged("V6.2") + "\n", 1},
        {"installed differs from target", "V6.2", Tagged("V6.1") + "\n", 0},
        {"not an accepted version", "V7", Tagged("V7") + "\n", 0},
        {"old release always refused", "V5.0 L01", Tagged("V5.0 L01") + "\n", 0},
        {"blanks inside the content", "V6.1", Tagged(" V6.1 ") + "\n", 0},
        {"lower-case tags not found", "V6.1", "<version>V6.1</version>\n", 0},
        {"tags on different lines", "V6.1", "<Version>V6.1\n</Version>\n", 0},
        {"last tagged line decides: accepted", "V6.1",
         Tagged("V6.2") + "\nx\n" + Tagged("V6.1") + "\n", 1},
        {"last tagged line decides: refused", "V6.1",
         Tagged("V6.1") + "\n" + Tagged("V6.2") + "\n", 0},
        {"untagged later lines change nothing", "V8", Tagged("V8") + "\n<Other/>\n", 1},
        {"tag pair cut by a piece boundary", "V8", over127, 0},
        {"tag pair wholly in the second piece", "V8", next127, 1},
        {"CR LF line ends", "V6.1", "<a>\r\n" + Tagged("V6.1") + "\r\n", 1},
        {"CR-only line ends: one piece, its first pair", "V6.2",
         Tagged("V6.2") + "\r" + Tagged("V6.1") + "\r", 1},
        {"CR-only line ends: later pairs unseen", "V6.1",
         Tagged("V6.2") + "\r" + Tagged("V6.1") + "\r", 0},
        {"no line break at all", "V8", Tagged("V8"), 1},
        {"closing tag first, at the end of the file", "V8", "</Version><Version>V8", 1},
        {"closing tag first, line break in the content", "V8", "</Version><Version>V8\n", 0},
        {"Ctrl-Z ends the file", "V6.1", Tagged("V6.1") + "\n\x1A" + Tagged("V6.2") + "\n", 1},
        {"Ctrl-Z before the tag", "V8", "\x1A" + Tagged("V8") + "\n", 0},
        {"NUL bytes on other lines", "V8", "\0\0\xff\n"s + Tagged("V8") + "\n\0\n"s, 1},
        {"NUL byte inside the content", "V8", Tagged("V\0" "8"s) + "\n", 0},
        {"binary content", "V8", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, 0},
        {"1 MB line before the tag", "V6.2", megabyte + "\n" + Tagged("V6.2") + "\n", 1},
        {"1 MB without line breaks", "V6.2", megabyte, 0},
        {"over-long version matches nothing", "V8", Tagged("V8" + std::string(90, ' ')), 0},
        {"over-long target matches nothing", std::string(60, 'V'),
         Tagged(std::string(60, 'V')) + "\n", 0},
        {"empty file", "V8", "", 0},
        {"empty target, no tag", "", "nothing\n", 0},
        {"empty target, empty content", "", Tagged("") + "\n", 0},
        {"no ConfigData.xml", "V8", std::nullopt, 0},
        {"doubled backslash: three before the name", "V8", Tagged("V8") + "\n", 1,
         "C:\\PROG\\\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles platform;
        RecordingLog log;
        platform.AddFolder("C:\\PROG");
        if (c.file) platform.AddFile("C:\\PROG\\ConfigData.xml", *c.file);
        UpdateDescription desc;
        desc.m_strTargetVersion = c.target;
        EXPECT_EQ(CheckVersion(platform, log, desc, c.folder), c.expected);
    }
}

TEST(CheckVersion, FolderMayBeAConfigFolder) {
    // A folder named ConfigData.xml cannot be read: refused, no crash.
    MemoryFiles platform;
    RecordingLog log;
    platform.AddFolder("C:\\PROG\\ConfigData.xml");
    UpdateDescription desc;
    desc.m_strTargetVersion = "V8";
    EXPECT_EQ(CheckVersion(platform, log, desc, "C:\\PROG\\"), 0);
}

}  // namespace
}  // namespace kavrel
