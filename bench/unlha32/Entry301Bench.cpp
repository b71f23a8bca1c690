// Times entry 301 ("e" into a folder) of one or more UNLHA32.dll files on the same
// archive, the libraries taking turns run after run so that the machine's drift hits
// them alike. Binds each library at run time by ordinal, so that two builds (before and
// after a change) can be compared in one process:
//   unlha32-bench RUNS ARCHIVE-WITHOUT-.LZH DEST-FOLDER DLL [DLL...]
// Prints each run's wall and CPU time (this thread's user and kernel time, less disturbed
// by other work on a shared machine) and, per library, the best and the median of both.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using Command = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);

struct Library {
    std::wstring path;
    HMODULE module = nullptr;
    Command command = nullptr;
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
};

std::string Narrow(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

double ThreadCpu() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;  // 100 ns ticks
}

void Summary(const char* what, std::vector<double> s) {
    std::sort(s.begin(), s.end());
    std::printf("  %s best %.3f s  median %.3f s", what, s.front(), s[s.size() / 2]);
}

double Now() {
    LARGE_INTEGER frequency, count;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: unlha32-bench RUNS ARCHIVE-WITHOUT-.LZH DEST-FOLDER DLL [DLL...]\n");
        return 2;
    }
    const int runs = std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
    std::string dest = Narrow(argv[3]);
    if (dest.empty() || dest.back() != '\\') dest += '\\';
    const std::string line = "e -mcwC:\\windows \"" + Narrow(argv[2]) + "\" \"" + dest + "\"";

    std::vector<Library> libraries;
    for (int i = 4; i < argc; ++i) {
        Library library;
        library.path = argv[i];
        // A full path each, so two libraries of the same name load side by side.
        library.module = ::LoadLibraryExW(argv[i], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (library.module) {
            library.command = reinterpret_cast<Command>(
                reinterpret_cast<void*>(::GetProcAddress(library.module, MAKEINTRESOURCEA(301))));
        }
        if (!library.command) {
            std::fprintf(stderr, "cannot bind entry 301 of %s\n", Narrow(argv[i]).c_str());
            return 1;
        }
        libraries.push_back(library);
    }

    for (int run = 0; run < runs; ++run) {
        for (Library& library : libraries) {
            char output[256] = {};
            const double start = Now();
            const double startCpu = ThreadCpu();
            const int result = library.command(nullptr, line.c_str(), output, sizeof output);
            const double elapsed = Now() - start;
            const double cpu = ThreadCpu() - startCpu;
            if (result != 0) {
                std::fprintf(stderr, "%s: entry 301 gave %d: %s\n", Narrow(library.path).c_str(), result, output);
                return 1;
            }
            library.seconds.push_back(elapsed);
            library.cpuSeconds.push_back(cpu);
            std::printf("run %d  %-40s wall %.3f s  cpu %.3f s\n", run + 1, Narrow(library.path).c_str(), elapsed, cpu);
        }
    }
    for (const Library& library : libraries) {
        std::printf("%-40s", Narrow(library.path).c_str());
        Summary("wall", library.seconds);
        Summary("cpu", library.cpuSeconds);
        std::printf("  (%d runs)\n", static_cast<int>(library.seconds.size()));
    }
    return 0;
}
