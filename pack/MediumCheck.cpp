#include "pack/MediumCheck.h"

#include <algorithm>
#include <set>
#include <vector>

#include "artwork/BitmapFile.h"
#include "description/ContentList.h"
#include "description/InfoFile.h"
#include "description/InfoLayout.h"
#include "description/InstallationRules.h"
#include "description/ItemRules.h"
#include "lha/Extractor.h"
#include "pack/DiskSpace.h"
#include "pack/Files.h"
#include "pack/FolderFiles.h"
#include "pack/MediumFiles.h"
#include "pack/MediumNames.h"
#include "pack/MediumSet.h"
#include "pack/Signing.h"
#include "platform/Hashing.h"
#include "platform/Text.h"

namespace kavrel::pack {
namespace {

struct Recorder : InfoReadObserver {
    std::vector<int> itemLines;
    std::vector<std::string> itemBytes;
    std::vector<InfoReadEvent> events;
    void OnItemLine(int, int line, std::string_view bytes) override {
        itemLines.push_back(line);
        itemBytes.emplace_back(bytes);
    }
    void OnFinding(const InfoReadEvent& e) override { events.push_back(e); }
};

class Checker {
public:
    Checker(const MediumSet& set, Diagnostics& diags) : set_(set), diags_(diags) {
        info_ = JoinPath(set.disks[0].folder, "info.txt");
    }

    bool Read() {
        // The reader appends "info.txt" to the folder, as the wizard does.
        std::string folder = set_.disks[0].folder;
        if (folder.back() != '/') folder += '/';
        FolderFiles files;
        if (ReadInfoFile(files, folder, desc_, &rec_) != 1) {
            diags_.Error(info_, 0, "cannot be read");
            return false;
        }
        return true;
    }

    void ReaderFindings() {
        for (const InfoReadEvent& e : rec_.events) {
            switch (e.finding) {
            case InfoFinding::NotCp932:
                Fail(e.line, "byte " + std::to_string(e.offset + 1) + " is not code page 932; Kavrel would show garbage");
                break;
            case InfoFinding::Utf8Text:
                Fail(e.line, "saved as UTF-8; Kavrel reads code page 932 and would show garbage");
                break;
            case InfoFinding::NulByte:
                Fail(e.line, "a NUL byte ends the line's text at byte " + std::to_string(e.offset + 1));
                break;
            case InfoFinding::LineCut:
                Fail(e.line, "longer than the " + std::to_string(e.offset) + " bytes Kavrel reads of a line");
                break;
            case InfoFinding::ShortFile:
                Fail(e.line, "the file ends after " + std::to_string(e.line) + " lines; info.txt has " +
                                 std::to_string(kFixedLines) + " fixed lines");
                break;
            case InfoFinding::EmptyItemLine:
                Fail(e.line, "an empty item line installs the item above it once more");
                break;
            case InfoFinding::TrailingEmptyLine:
                Fail(e.line, "an empty last line installs the last item once more; remove the final empty line");
                break;
            case InfoFinding::ItemBeyondTable:
                Fail(e.line, "more than " + std::to_string(kMaxItems) + " items: Kavrel reads the first " +
                                 std::to_string(kMaxItems) + " and never installs this or later lines");
                break;
            case InfoFinding::OddItemKind:
                Warn(e.line, "kind " + std::to_string(e.value) +
                                 " is neither 1 (archive) nor 0 (file); Kavrel copies it as a plain file");
                break;
            }
        }
    }

    void FixedLines() {
        if (!IsKnownVersion(desc_.m_strTargetVersion)) {
            Fail(LineOf(InfoField::TargetVersion), "target version \"" + desc_.m_strTargetVersion +
                                                       "\" can match no installation: Kavrel accepts " +
                                                       KnownVersionsText());
        }
        const std::string& settings = desc_.m_strSettingsFile;
        const int settingsLine = LineOf(InfoField::SettingsFile);
        if (settings != kProbeSettingsFile && AsciiUpperEquals(settings, kProbeSettingsFile)) {
            Warn(settingsLine, "settings file \"" + settings + "\" is a file name; only " + kProbeSettingsFile +
                                   " in capitals asks Kavrel to probe");
        } else if (settings.empty() || settings.find_first_of("\\/:*?\"<>|") != std::string::npos) {
            Warn(settingsLine, "settings file \"" + settings + "\" can match no file");
        }
        for (InfoField field : kArtworkFields) {
            const std::string& art = TextOf(desc_, field);
            if (art.empty()) continue;
            const std::string found = set_.disks[0].Find(art);
            if (found.empty()) {
                Warn(LineOf(field), "artwork " + art + " is not on disk 1; its frame stays empty");
                continue;
            }
            FolderFiles files;
            LoadedBitmap bitmap;
            if (LoadBitmapFile(files, JoinPath(set_.disks[0].folder, found), bitmap) != 1) {
                Warn(LineOf(field), "artwork " + art + " is a bitmap Kavrel refuses to draw; its frame stays empty");
            }
        }
    }

    void Items() {
        const int count = ItemCount();
        const int disks = static_cast<int>(set_.disks.size());
        int highest = 1;
        for (int i = 0; i < count; ++i) {
            const int line = rec_.itemLines[static_cast<std::size_t>(i)];
            const int disk = Item(i).disk;
            ItemFields(i, line);
            if (disk < 1) {
                Fail(line, "disk " + std::to_string(disk) + ": Kavrel would ask for a disk the set cannot have");
                continue;
            }
            if (disk == 1 && highest > 1) {
                Fail(line, "a disk-1 item after an item of disk " + std::to_string(highest) +
                               ": Kavrel never asks for disk 1 again, so it is read from the wrong disk");
            }
            highest = std::max(highest, disk);
            const MediumDisk* holder = nullptr;
            if (disk <= disks) {
                holder = &set_.disks[disk - 1];
            } else if (!set_.isDiskSet && disks == 1) {
                // One folder: on a removable drive Kavrel asks for the disk, and finds it there.
                holder = &set_.disks[0];
                if (disk > 1 && !warnedFolderDisks_) {
                    Warn(line, "disk " + std::to_string(disk) + " on a one-folder medium: from a removable drive "
                                                               "Kavrel asks for each disk number in turn");
                    warnedFolderDisks_ = true;
                }
            } else {
                Fail(line, "Kavrel would ask for disk " + std::to_string(disk) + ", which the set of " +
                               std::to_string(disks) + " does not have");
                continue;
            }
            ItemFiles(i, line, disk, *holder);
        }
    }

    void Disks(const MediaType& type) {
        std::vector<std::vector<std::string>> files;
        for (std::size_t d = 0; d < set_.disks.size(); ++d) {
            files.push_back(set_.disks[d].files);
            if (!type.IsFloppy()) continue;
            DiskUsage usage(type);
            for (const std::string& f : set_.disks[d].files) {
                std::uint64_t size = 0;
                FileSize(JoinPath(set_.disks[d].folder, f), size);
                usage.Add(f, size);
            }
            if (usage.OverCapacity()) {
                diags_.Error(set_.disks[d].folder, 0,
                             "disk " + std::to_string(d + 1) + " needs " + std::to_string(usage.UsedBytes()) +
                                 " bytes and " + std::to_string(usage.RootEntriesUsed()) +
                                 " root entries; a " + type.name + " disk has " + std::to_string(type.capacity) +
                                 " bytes and " + std::to_string(type.rootEntries - 1) + " entries beside its label");
            }
        }
        for (const SharedName& s : FindSharedNames(files)) {
            diags_.Error(set_.disks[s.otherDisk - 1].folder, 0,
                         s.path + " is on disk " + std::to_string(s.firstDisk) + " and on disk " +
                             std::to_string(s.otherDisk) + "; copied into one folder, one would replace the other");
        }
        for (const MisleadingName& m : FindMisleadingNames(desc_.m_items, NamedSystems(), files)) {
            Fail(rec_.itemLines[static_cast<std::size_t>(m.item)], "disk " + std::to_string(Item(m.item).disk) +
                                             " is recognised by " + m.path + ", which disk " +
                                             std::to_string(m.foundOn) + " also holds");
        }
    }

    // Without Kavrel.exe (a medium laid out by hand) there is neither list nor signature
    // to check.
    void Programs(const std::string& caFile) {
        const MediumDisk& first = set_.disks[0];
        const std::string exe = first.Find("Kavrel.exe");
        if (exe.empty()) return;
        Contents(JoinPath(first.folder, exe));
        for (const char* program : {"Kavrel.exe", "UNLHA32.dll"}) {
            const std::string found = first.Find(program);
            if (!found.empty()) Signature(JoinPath(first.folder, found), caFile);
        }
    }

    int ItemCount() const { return static_cast<int>(desc_.m_items.size()); }
    int Tested() const { return tested_; }

private:
    static bool AsciiUpperEquals(const std::string& a, const std::string& b) { return AsciiUpper(a) == AsciiUpper(b); }

    const UpdateItem& Item(int i) const { return desc_.m_items[static_cast<std::size_t>(i)]; }

    std::vector<int> NamedSystems() const {
        std::vector<int> named;
        for (int s = 0; s < kSystemCount; ++s) {
            if (!desc_.m_strSystemName[s].empty()) named.push_back(s + 1);
        }
        return named;
    }

    void ItemFields(int i, int line) {
        const std::string& raw = rec_.itemBytes[static_cast<std::size_t>(i)];
        int commas = 0;
        for (char c : raw) commas += c == ',' ? 1 : 0;
        if (!raw.empty() && (commas < 3 || raw.find(",,") != std::string::npos || raw.back() == ',')) {
            Warn(line, "a missing or empty field takes the value of the line above");
        }
        const std::string& folder = Item(i).subfolder;
        if (folder.find("..") != std::string::npos || folder.find(':') != std::string::npos ||
            (!folder.empty() && (folder[0] == '\\' || folder[0] == '/'))) {
            Fail(line, "sub-folder \"" + folder + "\" leads out of the installation folder");
        } else if (!folder.empty() && folder.back() != '\\') {
            Warn(line, "sub-folder \"" + folder + "\" does not end in \\; a plain file's name is appended to it directly");
        }
    }

    void ItemFiles(int i, int line, int disk, const MediumDisk& holder) {
        const bool archive = Item(i).kind == ItemKind::Archive;
        for (const std::string& w : ItemSourceFiles(Item(i), NamedSystems())) {
            const std::string found = holder.Find(w);
            if (found.empty()) {
                Fail(line, w + " is not on disk " + std::to_string(disk));
            } else if (archive) {
                TestArchive(line, JoinPath(holder.folder, found), w);
            }
        }
    }

    void TestArchive(int line, const std::string& path, const std::string& shown) {
        auto fs = MakeReadOnlyFileSystem();
        lha::Request request;
        request.command = lha::Command::Test;
        request.archive = path;
        const lha::Outcome outcome = lha::RunRequest(*fs, request);
        ++tested_;
        if (!outcome.ok) Fail(line, shown + " fails its full test: " + outcome.message);
    }

    // The disk that holds what info.txt puts on disk `disk`, or null.
    const MediumDisk* DiskOf(int disk) const {
        if (disk >= 1 && disk <= std::ssize(set_.disks)) return &set_.disks[static_cast<std::size_t>(disk - 1)];
        return !set_.isDiskSet && set_.disks.size() == 1 && disk >= 1 ? &set_.disks[0] : nullptr;
    }

    // Every listed file as it was built, and every file info.txt names listed.
    void Contents(const std::string& exe) {
        std::string image;
        ContentList list;
        const int read = ReadWholeFile(exe, image) ? ReadContentListOf(image, list) : -1;
        if (read == 0) {
            diags_.Warning(exe, 0, "carries no content list: a damaged or altered file would go unnoticed");
            return;
        }
        if (read < 0) {
            diags_.Error(exe, 0, "its content list is damaged: Kavrel refuses the medium");
            return;
        }
        const std::unique_ptr<Hashing> hashing = MakeSystemHashing();
        FolderFiles files;
        for (const ContentFile& f : list.files) {
            const MediumDisk* disk = DiskOf(f.disk);
            const std::string found = disk ? disk->Find(f.name) : std::string();
            const std::string path = disk ? JoinPath(disk->folder, found.empty() ? f.name : found) : f.name;
            std::uint64_t size = 0;
            if (found.empty() || !FileSize(path, size)) {
                diags_.Error(path, 0, "listed in Kavrel.exe's content list for disk " + std::to_string(f.disk) +
                                          ", but missing");
            } else if (size != f.size || !hashing || FileSha256(*hashing, files, path) != f.sha256) {
                diags_.Error(path, 0, "altered or damaged: its bytes differ from Kavrel.exe's content list");
            }
        }
        std::set<std::pair<int, std::string>> named = {{1, "info.txt"}, {1, "UNLHA32.dll"}};
        for (InfoField field : kArtworkFields) {
            if (!TextOf(desc_, field).empty()) named.emplace(1, TextOf(desc_, field));
        }
        for (int i = 0; i < ItemCount(); ++i) {
            for (const std::string& w : ItemSourceFiles(Item(i), NamedSystems())) named.emplace(Item(i).disk, w);
        }
        for (const auto& [disk, name] : named) {
            const MediumDisk* holder = DiskOf(disk);
            if (holder && !holder->Find(name).empty() && !FindContentFile(list, disk, holder->Find(name))) {
                diags_.Error(JoinPath(holder->folder, holder->Find(name)), 0,
                             "not in Kavrel.exe's content list, so nothing vouches for it");
            }
        }
    }

    void Signature(const std::string& program, const std::string& caFile) {
        std::string detail;
        switch (VerifySignature(program, caFile, temp_.Path(), detail)) {
        case SignatureVerdict::Trusted: break;
        case SignatureVerdict::Unsigned:
            diags_.Warning(program, 0, "is not signed: Windows names no publisher for it");
            break;
        case SignatureVerdict::Untrusted:
            diags_.Warning(program, 0, "its signature is intact, but its signer is not trusted" +
                                           std::string(caFile.empty() ? "" : " by " + caFile) + ": " + detail);
            break;
        case SignatureVerdict::Altered:
            diags_.Error(program, 0, "altered or damaged: " + detail);
            break;
        case SignatureVerdict::NoVerifier:
            diags_.Warning(program, 0, "is signed, but its signature was not checked: " + detail +
                                           " (install osslsigncode, or name it in KAVREL_OSSLSIGNCODE)");
            break;
        }
    }

    void Fail(int line, const std::string& message) { diags_.Error(info_, line, message); }
    void Warn(int line, const std::string& message) { diags_.Warning(info_, line, message); }

    const MediumSet& set_;
    Diagnostics& diags_;
    std::string info_;
    UpdateDescription desc_;
    Recorder rec_;
    TemporaryFolder temp_;  // for osslsigncode's output
    int tested_ = 0;
    bool warnedFolderDisks_ = false;
};

}  // namespace

CheckResult CheckMedium(const std::string& medium, const CheckOptions& options, Diagnostics& diags) {
    CheckResult result;
    MediumSet set;
    std::string error;
    if (!FindMediumSet(medium, set, error)) {
        diags.Error(medium, 0, error);
        return result;
    }
    MediaType type;
    const std::string media = !options.media.empty() ? options.media : set.isDiskSet ? "floppy-1.44" : "folder";
    if (!FindMediaType(media, type)) {
        diags.Error(medium, 0, "unknown media \"" + media + "\"");
        return result;
    }
    result.media = media;
    result.disks = static_cast<int>(set.disks.size());
    Checker checker(set, diags);
    if (!checker.Read()) return result;
    checker.ReaderFindings();
    checker.FixedLines();
    checker.Items();
    checker.Disks(type);
    checker.Programs(options.caFile);
    result.items = checker.ItemCount();
    result.archivesTested = checker.Tested();
    return result;
}

int ExitCodeFor(const Diagnostics& diags) {
    if (diags.HasErrors()) return kExitErrors;
    return diags.Count(Severity::Warning) > 0 ? kExitWarnings : kExitClean;
}

}  // namespace kavrel::pack
