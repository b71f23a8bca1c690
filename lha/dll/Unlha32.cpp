// The three entries of UNLHA32.dll over the portable library.
#include "lha/dll/Unlha32.h"

#include <new>
#include <string>

#include "lha/CommandLine.h"
#include "lha/Extractor.h"
#include "lha/Messages.h"
#include "lha/dll/ProgressReporter.h"
#include "lha/dll/Win32FileSystem.h"
#include "platform/Text.h"

namespace {

using namespace kavrel;
using namespace kavrel::lha;

// UTF-8 to code page 932; a character without a code page 932 form becomes '?'.
std::string ToCp932(const std::string& utf8) {
    std::string out;
    if (Utf8ToCp932(utf8, out)) return out;
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::string one;
        out += Utf8ToCp932(utf8.substr(i, n), one) ? one : std::string("?");
        i += n;
    }
    return out;
}

// Copies at most size-1 bytes, never half a double-byte character, and terminates.
void Put(const std::string& cp932, LPSTR output, DWORD size) {
    if (output == nullptr || size == 0) return;
    std::size_t n = 0;
    while (n < cp932.size()) {
        const std::size_t len =
            IsCp932LeadByte(static_cast<unsigned char>(cp932[n])) && n + 1 < cp932.size() ? 2 : 1;
        if (n + len > size - 1) break;
        n += len;
    }
    cp932.copy(output, n);
    output[n] = '\0';
}

int Run(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
    ParsedCommandLine parsed;
    std::string error;
    if (commandLine == nullptr || !ParseCommandLine(commandLine, parsed, error)) {
        if (error.empty()) error = msg::BadCommandLine("空です");
        Put(ToCp932(error), output, outputSize);
        return UNLHA32_BAD_COMMAND;
    }
    Request request;
    request.command = parsed.command;
    request.archive = Cp932ToUtf8(parsed.archive);
    request.destination = Cp932ToUtf8(parsed.destination);
    request.workFolder = Cp932ToUtf8(parsed.workFolder);
    const char letter = parsed.command == Command::Extract          ? 'e'
                        : parsed.command == Command::ExtractWithPaths ? 'x'
                        : parsed.command == Command::Test             ? 't'
                                                                      : 'l';
    ProgressReporter reporter(parsed.command == Command::List ? nullptr : owner, letter);
    auto fs = MakeWin32FileSystem();
    const Outcome outcome = RunRequest(*fs, request, &reporter);
    reporter.End(outcome.ok, outcome.message);
    if (!outcome.ok) {
        Put(ToCp932(outcome.message), output, outputSize);
        return UNLHA32_FAILED;
    }
    if (parsed.command == Command::Extract || parsed.command == Command::ExtractWithPaths) {
        Put(ToCp932(msg::FilesExtracted(outcome.filesWritten)), output, outputSize);
    } else {
        Put(ToCp932(reporter.Names()), output, outputSize);
    }
    return 0;
}

}  // namespace

// What the original's entries 6 and 8 set is not known; the update run ignores their
// results. They are kept and have no effect: the library never shows a window.
extern "C" int WINAPI UnlhaEntry6(int) { return 0; }

extern "C" int WINAPI UnlhaEntry8(int) { return 0; }

// No dialogs: the update run shows the message itself. The owner window hears the
// progress (Unlha32.h).
extern "C" int WINAPI Unlha(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
#if defined(__cpp_exceptions)
    try {
        return Run(owner, commandLine, output, outputSize);
    } catch (const std::bad_alloc&) {
        Put(ToCp932(msg::OutOfMemory()), output, outputSize);
    } catch (...) {
        Put(ToCp932("展開中に予期しないエラーが起きました。"), output, outputSize);
    }
    return UNLHA32_FAILED;
#else
    // As shipped: a failed allocation ends the process (NoExceptions.cpp); the commit
    // record lets the next run finish what this one began.
    return Run(owner, commandLine, output, outputSize);
#endif
}
