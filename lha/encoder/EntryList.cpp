#include "lha/encoder/EntryList.h"

#include <algorithm>

#include "platform/Text.h"

namespace kavrel::lha::encoder {

namespace {

const char* Why(NameProblem problem) {
    switch (problem) {
    case NameProblem::DeviceName: return "a device name";
    case NameProblem::ForbiddenChar: return "a character it forbids";
    case NameProblem::TrailingDotOrBlank: return "a dot or blank at the end";
    default: return "empty or a dot name";
    }
}

class Planner {
public:
    Planner(SourceFileSystem& fs, const std::vector<SourceInfo>& skip, std::vector<PlannedEntry>& out,
            std::string& error)
        : fs_(fs), skip_(skip), out_(out), error_(error) {}

    bool Add(const std::string& source, const std::string& stored, int depth);

private:
    bool Skipped(const SourceInfo& info) const {
        return std::any_of(skip_.begin(), skip_.end(), [&](const SourceInfo& s) {
            return s.kind != SourceInfo::Kind::Missing && s.volume == info.volume && s.index == info.index;
        });
    }
    bool Fail(const std::string& message) {
        error_ = message;
        return false;
    }

    SourceFileSystem& fs_;
    const std::vector<SourceInfo>& skip_;
    std::vector<PlannedEntry>& out_;
    std::string& error_;
};

bool Planner::Add(const std::string& source, const std::string& stored, int depth) {
    // Deeper than any real tree: a loop through bind mounts or the like.
    if (depth > 256) return Fail("folders nested too deeply: " + source);
    const SourceInfo info = fs_.Stat(source);
    switch (info.kind) {
    case SourceInfo::Kind::Missing: return Fail("cannot read " + source + ": no such file or folder");
    case SourceInfo::Kind::Link: return Fail("symbolic link not archived: " + source);
    case SourceInfo::Kind::Other: return Fail("not a file or folder: " + source);
    default: break;
    }
    if (Skipped(info)) return true;
    PlannedEntry entry;
    entry.sourcePath = source;
    entry.storedPath = stored;
    entry.info = info;
    std::vector<std::string> parts;
    const NameProblem problem = SplitStoredPath(stored, parts);
    if (problem != NameProblem::None && !(stored.empty() && info.kind == SourceInfo::Kind::Directory)) {
        if (problem == NameProblem::Empty || problem == NameProblem::DotName) {
            return Fail("not a relative path inside the archive: \"" + stored + "\" (" + source + ")");
        }
        return Fail("a name Windows cannot create (" + std::string(Why(problem)) + "): \"" + stored + "\" (" +
                    source + ")");
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string cp932;
        if (!Utf8ToCp932(parts[i], cp932)) {
            return Fail("name cannot be written in code page 932: " + stored + " (" + source + ")");
        }
        if (i + 1 < parts.size() || info.kind == SourceInfo::Kind::Directory) {
            entry.directory.push_back(cp932);
        } else {
            entry.name = cp932;
        }
    }
    if (info.kind == SourceInfo::Kind::File) {
        out_.push_back(entry);
        return true;
    }
    if (!stored.empty()) {
        entry.storedPath += '/';
        out_.push_back(entry);
    }
    std::vector<std::string> names;
    if (!fs_.List(source, names)) return Fail("cannot read folder " + source);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!Add(fs_.Join(source, name), stored.empty() ? name : stored + "/" + name, depth + 1)) return false;
    }
    return true;
}

// Windows folds case in names: two paths that differ only there would overwrite each other.
std::string FoldCase(std::string path) {
    for (char& c : path) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

NameProblem SplitStoredPath(const std::string& path, std::vector<std::string>& components) {
    components.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (const NameProblem problem = CheckComponent(part); problem != NameProblem::None) return problem;
        components.push_back(part);
        if (slash == std::string::npos) return NameProblem::None;
        start = slash + 1;
    }
}

bool PlanEntries(SourceFileSystem& fs, const std::vector<SourceEntry>& entries, bool sorted,
                 const std::vector<SourceInfo>& skip, std::vector<PlannedEntry>& planned, std::string& error) {
    planned.clear();
    Planner planner(fs, skip, planned, error);
    for (const SourceEntry& e : entries) {
        std::string stored = e.storedPath;
        if (!stored.empty() && stored.back() == '/') stored.pop_back();
        if (!planner.Add(e.sourcePath, stored, 0)) return false;
    }
    if (planned.empty()) {
        error = "nothing to archive";
        return false;
    }
    std::vector<std::pair<std::string, std::size_t>> keys;
    for (std::size_t i = 0; i < planned.size(); ++i) keys.emplace_back(FoldCase(planned[i].storedPath), i);
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (keys[i].first == keys[i - 1].first) {
            error = "stored twice: " + planned[keys[i].second].storedPath;
            return false;
        }
    }
    if (sorted) {
        std::stable_sort(planned.begin(), planned.end(),
                         [](const PlannedEntry& a, const PlannedEntry& b) { return a.storedPath < b.storedPath; });
    }
    return true;
}

}  // namespace kavrel::lha::encoder
