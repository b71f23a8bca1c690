#include "pack/MediumShow.h"

#include <vector>

#include "description/ContentList.h"
#include "description/InfoFile.h"
#include "description/InfoLayout.h"
#include "description/InstallationRules.h"
#include "description/ItemRules.h"
#include "description/TextNumber.h"
#include "pack/Files.h"
#include "pack/FolderFiles.h"
#include "pack/MediumSet.h"

namespace kavrel::pack {
namespace {

struct ItemLines : InfoReadObserver {
    std::vector<int> lines;
    void OnItemLine(int, int line, std::string_view) override { lines.push_back(line); }
    void OnFinding(const InfoReadEvent&) override {}
};

std::string Field(const std::string& label, const std::string& value) {
    std::string line = "  " + label;
    if (line.size() < 28) line.append(28 - line.size(), ' ');
    return line + value + "\n";
}

// The notes as the page shows them: the reader made CR LF of each line break.
std::string Notes(const std::string& title, const std::string& notes) {
    std::string out = title + "\n";
    std::size_t start = 0;
    for (;;) {
        const auto end = notes.find("\r\n", start);
        out += "  | " + notes.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\n";
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return out;
}

std::string Number(int n, std::size_t width) {
    std::string text = std::to_string(n);
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// Whether Kavrel.exe is signed and how many files its content list holds (check says
// whether either holds).
std::string ProgramLine(const MediumDisk& disk) {
    const std::string exe = disk.Find("Kavrel.exe");
    std::string image;
    if (exe.empty() || !ReadWholeFile(JoinPath(disk.folder, exe), image)) return "\nKavrel.exe: none on disk 1\n";
    PeOverlay overlay;
    ContentList list;
    const int read = ReadContentListOf(image, list);
    const bool isSigned = FindPeOverlay(image, overlay) && overlay.certificateSize != 0;
    return std::string("\nKavrel.exe: ") + (isSigned ? "signed" : "not signed") + ", " +
           (read > 0 ? "content list of " + std::to_string(list.files.size()) + " file(s)"
                     : read == 0 ? "no content list" : "a damaged content list") + "\n";
}

}  // namespace

bool ShowMedium(const std::string& medium, std::string& text, std::string& error) {
    MediumSet set;
    if (!FindMediumSet(medium, set, error)) return false;
    std::string folder = set.disks[0].folder;
    if (folder.back() != '/') folder += '/';
    FolderFiles files;
    UpdateDescription d;
    ItemLines items;
    if (ReadInfoFile(files, folder, d, &items) != 1) {
        error = folder + "info.txt: cannot be read";
        return false;
    }
    text = "info.txt of " + set.disks[0].folder + "\n\n";
    std::string notes;
    for (const InfoFieldSpan& span : kInfoLayout) {
        for (int i = 0; i < span.lines; ++i) {
            const std::string& value = TextOf(d, span.field, i);
            const std::string line = std::to_string(span.firstLine + i);
            switch (span.field) {
            case InfoField::Header:
                if (i == 0) {
                    text += Field("title (" + line + ")", value);
                } else if (!value.empty()) {
                    text += Field(std::string(span.label) + " (" + line + ")", value);
                }
                break;
            case InfoField::Reserved: break;
            case InfoField::IntroTitleFlag:
                // The intro page's title: "アップデート" when the line reads as 0, else the page's own.
                text += Field(std::string(span.label) + " (" + line + ")",
                              value + (AtoiLike(value) != 0 ? "  -> マスタ調整機能付" : "  -> アップデート"));
                break;
            case InfoField::SettingsFile: {
                std::string shown = value;
                if (value == kProbeSettingsFile) {
                    shown += "  -> " + std::string(kProbedSettingsFiles[0]);
                    for (std::size_t p = 1; p < kProbedSettingsFiles.size(); ++p) {
                        shown += std::string(", then ") + kProbedSettingsFiles[p];
                    }
                }
                text += Field(std::string(span.label) + " (" + line + ")", shown);
                break;
            }
            case InfoField::IntroNotes:
            case InfoField::DestinationNotes:
                notes += "\n" + Notes(std::string(span.label) + " (" + line + "):", value);
                break;
            case InfoField::SystemName:
                text += Field("system " + std::to_string(i + 1) + " (" + line + ")", value);
                break;
            default: text += Field(std::string(span.label) + " (" + line + ")", value); break;
            }
        }
    }
    text += notes;
    text += "\nitems (" + std::to_string(d.m_items.size()) + "):\n  line  disk  kind     name  ->  sub-folder\n";
    for (std::size_t i = 0; i < d.m_items.size(); ++i) {
        const UpdateItem& item = d.m_items[i];
        const bool archive = item.kind == ItemKind::Archive;
        text += "  " + Number(items.lines[i], 4) + "  " + Number(item.disk, 4) + "  " + (archive ? "archive" : "file   ") +
                "  " + (archive ? ArchiveFileName(item.name) : item.name) + "  ->  " + item.subfolder + "\n";
    }
    text += ProgramLine(set.disks[0]);
    return true;
}

}  // namespace kavrel::pack
