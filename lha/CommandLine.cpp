#include "lha/CommandLine.h"

#include <vector>

#include "lha/Messages.h"
#include "platform/Text.h"

namespace kavrel::lha {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The word at `i` (double quotes group blanks and are removed); `i` ends after it.
std::string ReadWord(std::string_view line, std::size_t& i) {
    std::string word;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && IsBlank(c)) {
            break;
        } else {
            word += c;
        }
    }
    return word;
}

// The folder after "-w" (or "-mcw"), starting at `i`: a quoted folder as one word; else
// everything up to the first quoted operand, blanks included, since the update run
// does not quote the Windows directory ("C:\Program Files"); else, with no quoted
// operand after it, up to the next blank.
std::string ReadWorkFolder(std::string_view line, std::size_t& i) {
    if (i < line.size() && line[i] == '"') return ReadWord(line, i);
    std::size_t end = line.find('"', i);
    if (end == std::string_view::npos) {
        end = i;
        while (end < line.size() && !IsBlank(line[end])) ++end;
    }
    std::size_t last = end;
    while (last > i && IsBlank(line[last - 1])) --last;
    std::string folder(line.substr(i, last - i));
    i = end;
    return folder;
}

}  // namespace

std::string StripTrailingSeparators(const std::string& path) {
    // Length of the path up to its last character that is not a single-byte separator.
    std::size_t keep = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (IsCp932LeadByte(c) && i + 1 < path.size()) {
            ++i;
            keep = i + 1;
        } else if (c != '\\' && c != '/') {
            keep = i + 1;
        }
    }
    if (keep == 0) return path.empty() ? path : path.substr(0, 1);
    std::string out = path.substr(0, keep);
    if (out.size() == 2 && out[1] == ':' && path.size() > 2) out += path[2];
    return out;
}

bool ParseCommandLine(std::string_view line, ParsedCommandLine& out, std::string& error) {
    out = ParsedCommandLine{};
    bool haveCommand = false;
    std::vector<std::string> operands;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        if (line[i] == '-') {
            std::size_t w = i + 1;
            while (w < line.size() && !IsBlank(line[w]) && line[w] != '"' && line[w] != 'w' && line[w] != 'W') ++w;
            if (w < line.size() && (line[w] == 'w' || line[w] == 'W')) {
                i = w + 1;
                out.workFolder = ReadWorkFolder(line, i);
            } else {
                ReadWord(line, i);  // other switches are accepted and ignored
            }
            continue;
        }
        const std::string word = ReadWord(line, i);
        if (!haveCommand) {
            if (word.size() != 1) {
                error = msg::BadCommandLine("コマンド " + msg::Printable(word) + " は使えません");
                return false;
            }
            switch (word[0]) {
            case 'e': case 'E': out.command = Command::Extract; break;
            case 'x': case 'X': out.command = Command::ExtractWithPaths; break;
            case 't': case 'T': out.command = Command::Test; break;
            case 'l': case 'L': out.command = Command::List; break;
            default:
                error = msg::BadCommandLine("コマンド " + msg::Printable(word) + " は使えません");
                return false;
            }
            haveCommand = true;
            continue;
        }
        operands.push_back(word);
    }
    if (!haveCommand) {
        error = msg::BadCommandLine("コマンドがありません");
        return false;
    }
    if (operands.empty() || operands[0].empty()) {
        error = msg::BadCommandLine("書庫の指定がありません");
        return false;
    }
    if (operands.size() > 2) {
        error = msg::BadCommandLine("展開するファイルの指定には対応していません");
        return false;
    }
    out.archive = operands[0];
    if (operands.size() == 2) out.destination = StripTrailingSeparators(operands[1]);
    return true;
}

}  // namespace kavrel::lha
