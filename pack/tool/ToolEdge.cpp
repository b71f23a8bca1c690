#include "pack/tool/ToolEdge.h"

#include "pack/Files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kavrel::pack {
namespace {

std::string ProgramPath() {
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, 32768);
    return n == 0 || n >= 32768 ? std::string() : Utf8Of(std::filesystem::path(std::wstring(buffer, n)));
#else
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return n <= 0 || n >= static_cast<ssize_t>(sizeof buffer) ? std::string() : std::string(buffer, n);
#endif
}

}  // namespace

std::vector<std::string> DefaultDistRoots() {
    std::vector<std::string> roots;
    const std::string program = ProgramPath();
    if (!program.empty()) roots.push_back(Utf8Of(PathOf(program).parent_path().parent_path()));
#ifdef KAVREL_DIST_ROOT
    roots.push_back(KAVREL_DIST_ROOT);
#endif
    return roots;
}

}  // namespace kavrel::pack

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(kavrel::pack::Utf8Of(std::filesystem::path(argv[i])));
    return RunTool(args);
}
#else
int main(int argc, char** argv) { return RunTool(std::vector<std::string>(argv, argv + argc)); }
#endif
