#include "checks/VersionCheck.h"

#include "description/InstallationRules.h"
#include "platform/TextReader.h"

namespace kavrel {

namespace {

// The file is read in pieces of at most this many bytes, each ending at a line break at
// the latest, as the product's own tools read it; a tag pair split by a piece boundary
// is not seen.
constexpr std::size_t kPieceBytes = 127;

}  // namespace

int GetTagContent(const std::string& openTag, const std::string& closeTag, std::string& line) {
    const std::size_t open = line.find(openTag);
    const std::size_t close = line.find(closeTag);
    if (open == std::string::npos || close == std::string::npos) return 0;
    line.resize(close);
    return static_cast<int>(open + openTag.size());
}

std::optional<std::string> InstalledVersion(FileReader& files, const std::string& folder) {
    const std::unique_ptr<InputFile> file = files.OpenRead(folder + "\\ConfigData.xml");
    if (!file) return std::nullopt;
    TextReader reader(*file);
    std::string installed;
    std::string piece;
    for (;;) {
        piece.clear();
        if (!reader.ReadPiece(piece, kPieceBytes)) break;
        std::string cut = piece;
        const int index = GetTagContent("<Version>", "</Version>", cut);
        if (index == 0) continue;
        const auto start = static_cast<std::size_t>(index);
        // With the closing tag first, the content runs on to the end of the piece.
        installed = start <= cut.size() ? cut.substr(start) : piece.substr(start);
    }
    return installed;
}

int CheckVersion(FileReader& files, EventLog& log, const UpdateDescription& desc, const std::string& folder,
                 const std::string& begunFrom) {
    const std::string path = folder + "\\ConfigData.xml";
    const std::optional<std::string> read = InstalledVersion(files, folder);
    // No file, no version: the update cannot be for this installation.
    if (!read) {
        log.Log("version file " + path + ": cannot be opened");
        return 0;
    }
    const std::string& installed = *read;
    const auto verdict = [&](int result, const char* why) {
        log.Log("version file " + path + ": installed \"" + installed + "\", wanted \"" +
                     desc.m_strTargetVersion + "\": " + why);
        return result;
    };
    // Items already done may have written the new version: what counts is the one the
    // interrupted update began from.
    if (!begunFrom.empty() && begunFrom == desc.m_strTargetVersion && IsKnownVersion(begunFrom)) {
        return verdict(1, "accepted (this medium's interrupted update began from the version wanted)");
    }
    if (installed != desc.m_strTargetVersion) return verdict(0, "refused");
    if (IsKnownVersion(installed)) return verdict(1, "accepted");
    return verdict(0, "refused (not a version this program updates)");
}

}  // namespace kavrel
