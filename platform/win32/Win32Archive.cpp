// The archive library's entries, bound at load time by ordinal 6, 8 and 301 of
// UNLHA32.dll (the import library of lha/dll).
#include <cstring>
#include <vector>

#include "lha/dll/Unlha32.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

int Win32Platform::ArchiveEntry6(int value) { return UnlhaEntry6(value); }

int Win32Platform::ArchiveEntry8(int value) { return UnlhaEntry8(value); }

int Win32Platform::ArchiveCommand(const std::string& commandLine, std::string& output,
                                  std::size_t outputSize) {
    // One spare zero byte: the text ends at the first NUL even if the library fills the
    // whole buffer it was told about.
    std::vector<char> buffer(outputSize + 1, '\0');
    const int result = Unlha(owner_, commandLine.c_str(), buffer.data(), static_cast<DWORD>(outputSize));
    output.assign(buffer.data(), ::strnlen(buffer.data(), outputSize));
    return result;
}

}  // namespace kavrel
