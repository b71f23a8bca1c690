#include "update/Recovery.h"

#include "lha/Staging.h"
#include "platform/Text.h"

namespace kavrel {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `path` lies below `folder` (both normalised), as Windows compares names.
bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != '\\') return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (Lower(path[i]) != Lower(folder[i])) return false;
    }
    return true;
}

// A target inside one of the roots and outside the work folder.
class Roots : public lha::TargetRule {
public:
    Roots(const std::vector<std::string>& roots, std::string work) : roots_(roots), work_(std::move(work)) {}
    bool MayTouch(const std::string& target) const override {
        const std::string t = NormalizedPath(target);
        if (t.empty() || IsBelow(t, work_)) return false;
        for (const std::string& root : roots_) {
            if (IsBelow(t, root)) return true;
        }
        return false;
    }

private:
    const std::vector<std::string>& roots_;
    std::string work_;
};

constexpr const char* kKeptText =
    "前回中断された更新の後始末で、元に戻せなかったファイルがあります。\n元のファイルは次の場所に残っています。\n";

}  // namespace

std::string NormalizedPath(const std::string& path) {
    std::string root;
    std::size_t at = 0;
    if (path.size() >= 2 && path[1] == ':') {
        root = path.substr(0, 2);
        at = 2;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        root = "\\";  // a share: its server and name are the first two parts, never climbed
        at = 1;
    }
    std::vector<std::string> parts;
    const std::size_t fixed = root == "\\" ? 2 : 0;
    while (at <= path.size()) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.size() <= fixed) return std::string();
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out = root;
    for (const std::string& p : parts) out += "\\" + p;
    return out;
}

RecoveryResult PendingRecovery(const RunSeams& seams, const std::string& workFolder, const std::string& infoSha256) {
    RecoveryResult result;
    result.journal = Journal(seams.staging, workFolder).Read();
    result.sameMedium = result.journal && !infoSha256.empty() && result.journal->infoSha256 == infoSha256;
    if (result.journal) {
        seams.log.Log(Concat({"recovery pending: an update of \"", result.journal->title, "\" did not finish",
                              result.sameMedium ? " (this medium: a run finishes it)" : " (another medium)"}));
    }
    const std::string record = lha::JoinPath(seams.staging, workFolder, lha::kCommitRecordName);
    if (seams.staging.Stat(record) != lha::FileSystem::Kind::Missing) {
        seams.log.Log("recovery pending: an interrupted commit waits in " + record + "; a run completes it first");
    }
    return result;
}

RecoveryResult RecoverInstallation(const RunSeams& seams, const UpdateDescription& desc,
                                   const std::string& installFolder, const std::string& workFolder,
                                   const std::string& infoSha256) {
    RecoveryResult result;
    Journal journal(seams.staging, workFolder);
    result.journal = journal.Read();
    result.sameMedium = result.journal && !infoSha256.empty() && result.journal->infoSha256 == infoSha256;
    if (result.journal) {
        seams.log.Log("journal: an update of \"" + result.journal->title + "\" to version " +
                      result.journal->targetVersion + ", begun from version " + result.journal->begunFrom + ", " +
                      DecimalText(result.journal->itemsDone) + " items done, did not finish" +
                      (result.sameMedium ? " (this medium)" : " (another medium)"));
    }

    // Targets may lie in the installation, or where this medium's own items put them.
    std::vector<std::string> roots{NormalizedPath(installFolder)};
    if (result.sameMedium) {
        for (const UpdateItem& item : desc.m_items) roots.push_back(NormalizedPath(installFolder + item.subfolder));
    }
    const Roots rule(roots, NormalizedPath(workFolder));
    const lha::Recovery r = lha::RecoverCommit(seams.staging, workFolder, rule);
    for (const std::string& line : r.log) seams.log.Log("recovery: " + line);
    result.keptFiles = r.keptFiles;
    if (!r.keptFiles.empty()) {
        std::string text = kKeptText;
        for (const std::string& k : r.keptFiles) {
            text += k + "\n";
            seams.log.Log("recovery: old file kept: " + k);
        }
        seams.user.ShowMessage(text, "確認", MessageButtons::Ok);
    }
    return result;
}

}  // namespace kavrel
