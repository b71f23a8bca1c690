#include "update/Journal.h"

#include "lha/Staging.h"
#include "platform/Text.h"

namespace kavrel {
namespace {

constexpr char kHead[] = "kavrel journal 1";
constexpr char kEnd[] = "end";
constexpr char kTemporary[] = "journal.tmp";
// A journal is a few hundred bytes; anything much larger is not ours.
constexpr std::uint64_t kMostBytes = 64 * 1024;

// Values stay on their line: a title holds no line break, but a journal must not be
// made to carry one.
std::string OneLine(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return out;
}

bool ParseCount(const std::string& text, int& out) {
    if (text.empty() || text.size() > 4) return false;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    out = n;
    return true;
}

}  // namespace

std::string WorkFolderOf(const std::string& installFolder) {
    const bool ends = !installFolder.empty() && (installFolder.back() == '\\' || installFolder.back() == '/');
    return installFolder + (ends ? "" : "\\") + lha::kWorkFolderName;
}

std::string FormatJournal(const JournalState& s) {
    return std::string(kHead) + "\ntitle\t" + OneLine(s.title) + "\nversion\t" + OneLine(s.targetVersion) +
           "\ninfo\t" + OneLine(s.infoSha256) + "\nfrom\t" + OneLine(s.begunFrom) + "\ndone\t" +
           DecimalText(s.itemsDone) + "\nbegun\t" + DecimalText(s.itemBegun) + "\n" + kEnd + "\n";
}

std::optional<JournalState> ParseJournal(const std::string& text) {
    JournalState s;
    constexpr int kFields = 6;
    int seen = 0;
    std::size_t at = 0;
    int line = 0;
    bool ended = false;
    while (at < text.size()) {
        std::size_t nl = text.find('\n', at);
        if (nl == std::string::npos) return std::nullopt;  // cut short
        const std::string l = text.substr(at, nl - at);
        at = nl + 1;
        if (ended) return std::nullopt;
        if (line++ == 0) {
            if (l != kHead) return std::nullopt;
            continue;
        }
        if (l == kEnd) {
            ended = true;
            continue;
        }
        const std::size_t tab = l.find('\t');
        if (tab == std::string::npos) return std::nullopt;
        const std::string key = l.substr(0, tab);
        const std::string value = l.substr(tab + 1);
        bool ok = true;
        if (key == "title") s.title = value;
        else if (key == "version") s.targetVersion = value;
        else if (key == "info") s.infoSha256 = value;
        else if (key == "from") s.begunFrom = value;
        else if (key == "done") ok = ParseCount(value, s.itemsDone);
        else if (key == "begun") ok = ParseCount(value, s.itemBegun);
        else ok = false;
        if (!ok) return std::nullopt;
        ++seen;
    }
    if (!ended || seen != kFields) return std::nullopt;
    return s;
}

std::optional<JournalState> Journal::Read() {
    const std::string path = lha::JoinPath(fs_, work_, kJournalName);
    if (fs_.Stat(path) != lha::FileSystem::Kind::File) return std::nullopt;
    const std::unique_ptr<lha::RandomAccess> in = fs_.OpenRead(path);
    if (!in || in->Size() > kMostBytes) return std::nullopt;
    std::string text(static_cast<std::size_t>(in->Size()), '\0');
    if (!text.empty() && !in->ReadAt(0, text.data(), text.size())) return std::nullopt;
    return ParseJournal(text);
}

bool Journal::Write(const JournalState& state) {
    const std::string temporary = lha::JoinPath(fs_, work_, kTemporary);
    const std::string text = FormatJournal(state);
    fs_.Remove(temporary);
    std::unique_ptr<lha::OutputFile> out = fs_.CreateNew(temporary);
    const bool written = out && out->Write(text.data(), text.size());
    const bool closed = out && out->Close();
    // The old state stays whole until the new one takes its name in one step.
    if (written && closed && fs_.Replace(temporary, lha::JoinPath(fs_, work_, kJournalName))) return true;
    fs_.Remove(temporary);
    return false;
}

void Journal::Remove() { fs_.Remove(lha::JoinPath(fs_, work_, kJournalName)); }

}  // namespace kavrel
