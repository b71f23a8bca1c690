// Windows entry of kavrel-lha: the arguments arrive as UTF-16 and go on as UTF-8, so
// names of any script reach the archive writer (which then refuses, with a message,
// what code page 932 cannot express).
#include <string>
#include <vector>

#include "platform/Text.h"

int KavrelLhaMain(int argc, char** argv);

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const std::wstring w = argv[i];
        args.push_back(kavrel::Utf16ToUtf8(std::u16string(w.begin(), w.end())));
    }
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    return KavrelLhaMain(argc, pointers.data());
}
