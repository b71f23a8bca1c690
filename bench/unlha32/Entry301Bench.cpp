// Times entry 301 ("e" into a folder) of one or more UNLHA32.dll files on the same
// archive, the libraries taking turns run after run so that the machine's drift hits
// them alike. Binds each library at run time by ordinal, so that two builds (before and
// after a change) can be compared in one process:
//   unlha32-bench RUNS ARCHIVE-WITHOUT-.LZH DEST-FOLDER DLL [DLL...]
// Prints each run's time and, per library, the best and the median.
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
};

std::string Narrow(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
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
            const int result = library.command(nullptr, line.c_str(), output, sizeof output);
            const double elapsed = Now() - start;
            if (result != 0) {
                std::fprintf(stderr, "%s: entry 301 gave %d: %s\n", Narrow(library.path).c_str(), result, output);
                return 1;
            }
            library.seconds.push_back(elapsed);
            std::printf("run %d  %-50s %.3f s\n", run + 1, Narrow(library.path).c_str(), elapsed);
        }
    }
    for (Library& library : libraries) {
        std::vector<double> s = library.seconds;
        std::sort(s.begin(), s.end());
        std::printf("%-50s best %.3f s  median %.3f s  (%d runs)\n", Narrow(library.path).c_str(), s.front(),
                    s[s.size() / 2], static_cast<int>(s.size()));
    }
    return 0;
}
