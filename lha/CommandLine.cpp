#include "lha/CommandLine.h"

#include <vector>

#include "lha/Messages.h"
#include "platform/Text.h"

namespace kavrel::lha {
namespace {

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string word;
        bool quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && (c == ' ' || c == '\t')) {
                break;
            } else {
                word += c;
            }
        }
        words.push_back(word);
    }
    return words;
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
    for (const std::string& word : SplitWords(line)) {
        if (word.size() >= 1 && word[0] == '-') {
            for (std::size_t i = 1; i < word.size(); ++i) {
                if (word[i] == 'w' || word[i] == 'W') {
                    out.workFolder = word.substr(i + 1);
                    break;
                }
            }
            continue;
        }
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
