// Builds info.txt files for the reader's tests.
#pragma once

#include <string>
#include <vector>

#include "description/InfoFile.h"
#include "support/MemoryFiles.h"

namespace kavrel::test {

inline const std::string kMedium = "D:\\UPDATE\\";

// "L<n>", the text of fixed line n in FixedLines(). Built by appending: g++ 12 at -O3
// warns falsely (-Wrestrict) about "L" + std::to_string(n).
inline std::string LineText(int n) {
    std::string text = "L";
    text += std::to_string(n);
    return text;
}

// The 41 fixed lines, each LineText(n); tests replace the ones they need (index n - 1).
inline std::vector<std::string> FixedLines() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 41; ++i) lines.push_back(LineText(i));
    return lines;
}

inline std::string Join(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
    std::string out;
    for (const auto& l : lines) out += l + eol;
    return out;
}

// The 41 fixed lines followed by `items`, every line ending in CR LF.
inline std::string InfoWithItems(const std::vector<std::string>& items) {
    auto lines = FixedLines();
    lines.insert(lines.end(), items.begin(), items.end());
    return Join(lines);
}

struct ReadResult {
    int result = -1;
    UpdateDescription desc;
};

inline ReadResult ReadInfo(const std::string& content) {
    MemoryFiles platform;
    platform.AddFile(kMedium + "info.txt", content);
    ReadResult r;
    r.result = ReadInfoFile(platform, kMedium, r.desc);
    return r;
}

}  // namespace kavrel::test
