// kavrel-lha: the archive library on the command line, for tests, benchmarks and for
// vendors who want to check an archive before shipping it, or make one.
//   kavrel-lha a [switches] archive files...   write an archive (AddCommand.cpp)
//   kavrel-lha e archive [dest]   extract into dest, stored folders dropped
//   kavrel-lha x archive [dest]   extract with the stored folders
//   kavrel-lha l archive          list the entries
//   kavrel-lha t archive          decode every entry and check its CRC
// Names in the archive are code page 932 (or UTF-16, in extended headers 0x44 and
// 0x45); they are shown and written as UTF-8.
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "lha/Extractor.h"
#include "lha/Messages.h"
#include "lha/tool/AddCommand.h"
#ifdef _WIN32
#include "lha/dll/Win32FileSystem.h"
#endif

namespace {

using namespace kavrel::lha;

// `l` lists every entry, `t` names each one that checked out; `e` and `x` print a count.
class Printer : public ExtractionObserver {
public:
    explicit Printer(Command command) : command_(command) {}
    void OnEntry(const EntryHeader& h, bool) override {
        if (command_ == Command::List) {
            std::printf("%s %12" PRIu64 " %12" PRIu64 "  %04x  L%d  %s%s%s\n", h.methodId, h.originalSize,
                        h.compressedSize, h.crc, h.level, msg::EntryName(h).c_str(),
                        h.isSymlink ? " -> " : "", msg::Printable(h.symlinkTarget).c_str());
        } else if (command_ == Command::Test) {
            std::printf("OK  %s\n", msg::EntryName(h).c_str());
        }
    }

private:
    Command command_;
};

}  // namespace

// The tool itself, with UTF-8 arguments: main below on Linux, wmain (WideMain.cpp) on
// Windows, where the arguments come as UTF-16.
int KavrelLhaMain(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "a") == 0) return RunAddCommand(std::vector<std::string>(argv + 2, argv + argc));
    if (argc < 3 || argc > 4 || std::strlen(argv[1]) != 1 || !std::strchr("exlt", argv[1][0])) {
        std::fprintf(stderr, "usage: kavrel-lha e|x|l|t archive [dest]\n       kavrel-lha a [switches] archive files...\n");
        return 2;
    }
    // A write past the process's file-size limit must fail like a full disk (EFBIG),
    // so that the archive ends cleanly instead of the process being killed.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    Request request;
    switch (argv[1][0]) {
    case 'e': request.command = Command::Extract; break;
    case 'x': request.command = Command::ExtractWithPaths; break;
    case 'l': request.command = Command::List; break;
    default: request.command = Command::Test; break;
    }
    request.archive = argv[2];
    if (argc == 4) request.destination = argv[3];
#ifdef _WIN32
    auto fs = MakeWin32FileSystem();
#else
    auto fs = MakePosixFileSystem();
#endif
    Printer printer(request.command);
    const Outcome outcome = RunRequest(*fs, request, &printer);
    if (!outcome.ok) {
        std::fprintf(stderr, "kavrel-lha: %s\n", outcome.message.c_str());
        return 1;
    }
    if (request.command == Command::Extract || request.command == Command::ExtractWithPaths) {
        std::printf("%d file(s) extracted, %d entr%s skipped\n", outcome.filesWritten, outcome.entriesSkipped,
                    outcome.entriesSkipped == 1 ? "y" : "ies");
    }
    return 0;
}

#ifndef _WIN32
int main(int argc, char** argv) { return KavrelLhaMain(argc, argv); }
#endif
