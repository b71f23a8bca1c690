// kavrel-lha as a vendor runs it: what it prints, its exit codes, and a write that
// fails (here at the process's file-size limit) ending the archive cleanly.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LhaTestSupport.h"

namespace {

using kavrel::lha::test::ReadWhole;
using kavrel::lha::test::TempDir;
using kavrel::lha::test::Tree;
using kavrel::lha::test::WriteWhole;

struct ToolRun {
    int exitCode = -1;  // -1 when killed by a signal
    int signal = 0;
    std::string out, err;
};

// Runs kavrel-lha with `args`; a `fileSizeLimit` other than 0 is set as RLIMIT_FSIZE.
ToolRun RunTool(const TempDir& tmp, std::vector<std::string> args, rlim_t fileSizeLimit = 0) {
    args.insert(args.begin(), KAVREL_LHA_TOOL);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open((tmp / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open((tmp / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (fileSizeLimit != 0) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ToolRun run;
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.out = ReadWhole(tmp / "stdout");
    run.err = ReadWhole(tmp / "stderr");
    return run;
}

std::string ThreeFiles() {
    using kavrel::lha::test::StoredEntry;
    return StoredEntry("a.txt", "alpha") + StoredEntry("b.txt", "beta") + StoredEntry("big.bin", std::string(300000, 'x')) +
           '\0';
}

TEST(Tool, PrintsWhatEachCommandDid) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", ThreeFiles());
    ToolRun run = RunTool(tmp, {"t", tmp / "arc.lzh"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "OK  a.txt\nOK  b.txt\nOK  big.bin\n");
    run = RunTool(tmp, {"e", tmp / "arc.lzh", tmp / "dest"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "3 file(s) extracted, 0 entries skipped\n");
    EXPECT_EQ(ReadWhole(tmp / "dest/b.txt"), "beta");
    run = RunTool(tmp, {"l", tmp / "arc.lzh"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("-lh0-            5            5  "), std::string::npos) << run.out;
    run = RunTool(tmp, {"e", tmp / "missing.lzh"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("見つかりません"), std::string::npos) << run.err;
    EXPECT_EQ(RunTool(tmp, {"q", tmp / "arc.lzh"}).exitCode, 2);
}

TEST(Tool, AWriteOverTheFileSizeLimitEndsTheArchiveCleanly) {
    TempDir tmp;
    WriteWhole(tmp / "arc.lzh", ThreeFiles());
    ::mkdir((tmp / "dest").c_str(), 0755);
    WriteWhole(tmp / "dest/a.txt", "old a");
    const ToolRun run = RunTool(tmp, {"e", tmp / "arc.lzh", tmp / "dest"}, 64 * 1024);
    EXPECT_EQ(run.signal, 0) << "killed by a signal";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("big.bin」に書き込めません"), std::string::npos) << run.err;
    EXPECT_EQ(Tree(tmp / "dest"), std::vector<std::string>{"/a.txt"});
    EXPECT_EQ(ReadWhole(tmp / "dest/a.txt"), "old a");
}

}  // namespace
