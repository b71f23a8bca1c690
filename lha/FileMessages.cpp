// The messages of staging, apart from the rest: Kavrel.exe links them for its plain
// files without the archive reader that the others name entries by.
#include "lha/Messages.h"

namespace kavrel::lha::msg {
namespace {
std::string Q(const std::string& s) { return Quoted(s); }
}  // namespace

std::string Quoted(const std::string& s) { return "「" + s + "」"; }
std::string WriteFailed(const std::string& path) { return Q(path) + "に書き込めません。"; }
std::string ReplaceFailed(const std::string& path) {
    return Q(path) + "を置き換えられません（ほかのプログラムが使っているか、書き込みが禁止されています）。"
           "書庫のファイルはどれも展開していません。";
}
std::string OldFileKeptAt(const std::string& path, const std::string& aside) {
    return "元の" + Q(path) + "は" + Q(aside) + "に残っています。";
}
std::string FolderInTheWay(const std::string& path) { return Q(path) + "と同じ名前のフォルダかファイルがあり、展開できません。"; }

}  // namespace kavrel::lha::msg
