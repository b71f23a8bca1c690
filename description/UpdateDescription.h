// The in-memory form of info.txt, owned by the view for the whole program.
// Texts are UTF-8 (info.txt itself is code page 932).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kavrel {

inline constexpr int kHeaderLines = 15;  // lines 1 to 15: the title, then the header
inline constexpr int kSystemCount = 15;  // lines 27 to 41: one name per system
inline constexpr int kFixedLines = 41;   // the item lines follow these
inline constexpr int kMaxItems = 100;

// The second field of an item line: 1 is an archive, every other number a plain file.
enum class ItemKind { PlainFile, Archive };
inline constexpr int kArchiveKindField = 1;
inline constexpr int kPlainFileKindField = 0;  // what the vendor's tool writes
constexpr ItemKind ItemKindOfField(int field) {
    return field == kArchiveKindField ? ItemKind::Archive : ItemKind::PlainFile;
}
constexpr int KindField(ItemKind kind) {
    return kind == ItemKind::Archive ? kArchiveKindField : kPlainFileKindField;
}

// One item line: "disk,kind,name,sub-folder".
struct UpdateItem {
    int disk = 0;
    ItemKind kind = ItemKind::PlainFile;
    std::string name;       // upper-cased as read; appended to the medium's folder
    std::string subfolder;  // appended to the installation folder
};

struct UpdateDescription {
    std::array<std::string, kHeaderLines> m_strHeader;  // lines 1-15
    std::string m_strDestFolder;                          // line 16
    std::string m_strTargetVersion;                       // line 17
    std::string m_strIntroTitleFlag;                      // line 18
    std::string m_strSettingsFile;                        // line 19
    std::string m_strReserved;                            // line 20
    std::string m_strViewArtwork;                         // line 21
    std::string m_strIntroArtwork;                        // line 22
    std::string m_strDestArtwork;                         // line 23
    std::string m_strConfirmArtwork;                      // line 24
    std::string m_strIntroNotes;                          // line 25
    std::string m_strDestNotes;                           // line 26
    std::array<std::string, kSystemCount> m_strSystemName;  // lines 27-41
    std::vector<UpdateItem> m_items;                      // at most kMaxItems
    int m_nSystemNumber = -1;                             // set by the update run
    // The file ends within the fixed lines, or not all of it could be read: no run may
    // start from it (a missing info.txt is not damaged: the wizard runs on without one).
    bool m_bDamaged = false;
};

}  // namespace kavrel
