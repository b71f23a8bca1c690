#include "pack/MediumShow.h"

#include <vector>

#include "description/InfoFile.h"
#include "description/TextNumber.h"
#include "pack/FolderPlatform.h"
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

}  // namespace

bool ShowMedium(const std::string& medium, std::string& text, std::string& error) {
    MediumSet set;
    if (!FindMediumSet(medium, set, error)) return false;
    std::string folder = set.disks[0].folder;
    if (folder.back() != '/') folder += '/';
    FolderPlatform platform;
    UpdateDescription d;
    ItemLines items;
    if (ReadInfoFile(platform, folder, d, &items) != 1) {
        error = folder + "info.txt: cannot be read";
        return false;
    }
    text = "info.txt of " + set.disks[0].folder + "\n\n";
    text += Field("title (1)", d.m_strHeader[0]);
    for (int i = 1; i < 15; ++i) {
        if (!d.m_strHeader[i].empty()) text += Field("header (" + std::to_string(i + 1) + ")", d.m_strHeader[i]);
    }
    text += Field("install folder (16)", d.m_strDestFolder);
    text += Field("target version (17)", d.m_strTargetVersion);
    // The intro page's title: "アップデート" when line 18 reads as 0, else the page's own.
    const bool master = AtoiLike(d.m_strIntroTitleFlag) != 0;
    text += Field("intro title (18)", d.m_strIntroTitleFlag + (master ? "  -> マスタ調整機能付" : "  -> アップデート"));
    text += Field("settings file (19)", d.m_strSettingsFile == "NULL"
                                            ? "NULL  -> pemsoa1.ini, then tirvelo1.ini"
                                            : d.m_strSettingsFile);
    text += Field("view artwork (21)", d.m_strViewArtwork);
    text += Field("intro artwork (22)", d.m_strIntroArtwork);
    text += Field("destination artwork (23)", d.m_strDestArtwork);
    text += Field("confirm artwork (24)", d.m_strConfirmArtwork);
    for (int i = 0; i < 15; ++i) {
        text += Field("system " + std::to_string(i + 1) + " (" + std::to_string(27 + i) + ")", d.m_strSystemName[i]);
    }
    text += "\n" + Notes("intro page notes (25):", d.m_strIntroNotes);
    text += "\n" + Notes("destination page notes (26):", d.m_strDestNotes);
    text += "\nitems (" + std::to_string(d.m_nItemCount) + "):\n  line  disk  kind     name  ->  sub-folder\n";
    for (int i = 0; i < d.m_nItemCount; ++i) {
        const char* kind = d.m_nItemKind[i] == 1 ? "archive" : "file   ";
        std::string name = d.m_strItemName[i];
        if (d.m_nItemKind[i] == 1) name += ".lzh";
        text += "  " + Number(items.lines[i], 4) + "  " + Number(d.m_nItemDisk[i], 4) + "  " + kind + "  " + name +
                "  ->  " + d.m_strItemSubfolder[i] + "\n";
    }
    return true;
}

}  // namespace kavrel::pack
