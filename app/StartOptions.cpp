#include "app/StartOptions.h"

#include <vector>

#include "platform/Text.h"
#include "update/Outcome.h"

namespace kavrel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `word` starts with `prefix`, letters in any case.
bool StartsWithNoCase(std::string_view word, std::string_view prefix) {
    if (word.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Upper(word[i]) != prefix[i]) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Quotes group blanks and are dropped; backslashes are kept as they are, since folders
// end in one ("C:\Program Files\" must not swallow its closing quote).
std::string Unquote(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c != '"') out += c;
    }
    return out;
}

// The next word and where the line goes on; quotes keep blanks inside a word.
std::string_view NextWord(std::string_view& rest) {
    rest = TrimBlanks(rest);
    std::size_t i = 0;
    bool quoted = false;
    for (; i < rest.size(); ++i) {
        if (rest[i] == '"') quoted = !quoted;
        if (!quoted && IsBlank(rest[i])) break;
    }
    const std::string_view word = rest.substr(0, i);
    rest.remove_prefix(i);
    return word;
}

}  // namespace

std::string_view ArgumentsOf(std::string_view line) {
    line = TrimBlanks(line);
    std::size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        const std::size_t close = line.find('"', 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i])) ++i;
    return TrimBlanks(line.substr(i));
}

bool MentionsUnattended(std::string_view arguments) {
    while (!TrimBlanks(arguments).empty()) {
        const std::string word = Unquote(NextWord(arguments));
        if (word.size() == 2 && word[0] == '/' && Upper(word[1]) == 'S') return true;
    }
    return false;
}

bool ParseStartOptions(std::string_view arguments, StartOptions& options, std::string& error) {
    options = StartOptions{};
    bool haveLog = false;
    std::string_view rest = arguments;
    while (!TrimBlanks(rest).empty()) {
        const std::string_view raw = NextWord(rest);
        // A word may be quoted whole ("/LOG=C:\My Logs\a.log") or only in its value.
        const std::string word = raw.size() >= 2 && raw.front() == '"' ? Unquote(raw) : std::string(raw);
        if (StartsWithNoCase(word, "/D=")) {
            // The rest of the line, blanks and all, is the folder.
            std::string_view value = TrimBlanks(arguments.substr(static_cast<std::size_t>(raw.data() - arguments.data())));
            value.remove_prefix(value.front() == '"' ? 4 : 3);  // "/D= or /D=
            std::string folder = Unquote(TrimBlanks(value));
            if (folder.empty()) {
                error = "/D= needs a folder";
                return false;
            }
            options.folder = std::move(folder);
            return true;
        }
        if (word == "/?") {
            options.help = true;
        } else if (word.size() == 2 && word[0] == '/' && Upper(word[1]) == 'S') {
            if (options.unattended) {
                error = "/S is given twice";
                return false;
            }
            options.unattended = true;
        } else if (word.size() == 6 && StartsWithNoCase(word, "/CHECK")) {
            if (options.check) {
                error = "/CHECK is given twice";
                return false;
            }
            options.check = true;
        } else if (StartsWithNoCase(word, "/LOG=")) {
            std::string value = Unquote(word.substr(5));
            if (value.empty()) {
                error = "/LOG= needs a file name";
                return false;
            }
            if (haveLog) {
                error = "/LOG= is given twice";
                return false;
            }
            haveLog = true;
            options.logFile = std::move(value);
        } else {
            error = "unknown switch: " + word;
            return false;
        }
    }
    return true;
}

std::string UsageText() {
    std::string text = "使い方: Kavrel.exe [/S] [/CHECK] [/LOG=ファイル] [/D=フォルダー]\r\n"
                       "\r\n"
                       "  /S              画面を出さずに更新します (無人更新)。\r\n"
                       "                  フォルダーは /D= か info.txt の 16 行目から取ります。\r\n"
                       "  /CHECK          何も変更せずに、更新を適用できるかだけを調べます。\r\n"
                       "                  終了コードは更新したときのもの (0: 適用できる)。\r\n"
                       "  /LOG=ファイル   更新の記録をそのファイルに書きます。\r\n"
                       "                  /S か /CHECK だけのときは %TEMP%\\Kavrel.log に書きます。\r\n"
                       "  /D=フォルダー   インストール先のフォルダー。最後に指定します\r\n"
                       "                  (空白を含むフォルダーも引用符なしで書けます)。\r\n"
                       "  /?              この説明を表示します。\r\n"
                       "\r\n"
                       "終了コード:";
    // Four codes a line keeps the lines within a console's width.
    int onLine = 0;
    for (const ExitCodeInfo& info : kExitCodes) {
        if (onLine == 4) {
            text += ",\r\n ";
            onLine = 0;
        } else if (onLine > 0) {
            text += ",";
        }
        text += ' ';
        text += DecimalText(static_cast<int>(info.code));
        text += ' ';
        text += info.usage;
        ++onLine;
    }
    text += "。\r\n";
    return text;
}

}  // namespace kavrel
