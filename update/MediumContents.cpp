#include "update/MediumContents.h"

#include "platform/Text.h"

namespace kavrel {

RunOutcome MediumContents::Refuse(const std::string& logLine, const std::string& detail) {
    seams_.log.Log("medium: " + logLine + ": the medium is not as it was built, nothing is changed");
    return EndRun(seams_.user, seams_.log, RunOutcome::MediumAltered, detail);
}

std::optional<RunOutcome> MediumContents::Load() {
    std::string image;
    // A list may be there: a program that cannot read itself cannot say the medium is whole.
    if (!seams_.trust.ReadOwnImage(image)) return Refuse("Kavrel.exe cannot be read", "Kavrel.exe");
    PeOverlay overlay;
    const bool wellFormed = FindPeOverlay(image, overlay);
    const int found = ReadContentListOf(image, list_);
    if (!wellFormed || found < 0) return Refuse("the content list in Kavrel.exe is damaged", "Kavrel.exe");
    hasList_ = found == 1;
    const OwnSignature signature = seams_.trust.CheckOwnSignature(overlay.certificateOffset != 0);
    switch (signature.verdict) {
    case OwnSignature::Verdict::Rejected:
        return Refuse("Windows does not accept the signature of Kavrel.exe (" + signature.reason + ")",
                      "Kavrel.exe（署名を確認できません）");
    case OwnSignature::Verdict::Trusted:
        who_ = "signed by " + (signature.signer.empty() ? std::string("an unnamed signer") : signature.signer);
        break;
    case OwnSignature::Verdict::Unsigned: who_ = "not signed"; break;
    }
    seams_.log.Log("medium: " + who_ + "; " +
                   (hasList_ ? "content list of " + DecimalText(list_.files.size()) + " files"
                             : std::string("no content list, its files are not checked")));
    return std::nullopt;
}

std::optional<RunOutcome> MediumContents::VerifyDisk(const std::string& source, int disk, bool removable,
                                                     const std::vector<std::string>& named) {
    if (!hasList_) return std::nullopt;
    const auto here = [&](const ContentFile& file) { return !removable || file.disk == disk; };
    std::size_t checked = 0;
    for (const ContentFile& file : list_.files) {
        if (!here(file)) continue;
        const std::string path = source + file.name;
        std::uint64_t size = 0;
        const std::string digest = FileSha256(seams_.hashing, seams_.files, path, &size);
        // A set of floppies copied into one folder: a name two disks share is whole when it
        // is either disk's file.
        bool whole = false;
        for (const ContentFile& same : list_.files) {
            whole = whole || (here(same) && SameContentName(same.name, file.name) && same.sha256 == digest &&
                              same.size == size);
        }
        ++checked;
        if (whole) continue;
        if (digest.empty() && !seams_.files.Exists(path)) {
            return Refuse(path + " is listed and missing", path + "（ファイルがありません）");
        }
        return Refuse(path + " differs from the content list (" + (digest.empty() ? std::string("unreadable") : DecimalText(size) + " bytes") +
                          ", listed " + DecimalText(file.size) + " bytes)",
                      path + "（内容が違います）");
    }
    for (const std::string& name : named) {
        bool listed = false;
        for (const ContentFile& file : list_.files) listed = listed || (here(file) && SameContentName(file.name, name));
        if (!listed) return Refuse(source + name + " is not in the content list", source + name + "（一覧にありません）");
    }
    seams_.log.Log("medium: " + who_ + "; every file of " +
                   (removable ? "disk " + DecimalText(disk) : std::string("the medium")) +
                   " matched its content list (" + DecimalText(checked) + " files)");
    return std::nullopt;
}

}  // namespace kavrel
