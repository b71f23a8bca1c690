// The in-memory form of info.txt, owned by the view for the whole program.
// Texts are UTF-8 (info.txt itself is code page 932).
#pragma once

#include <array>
#include <string>

namespace kavrel {

constexpr int kMaxItems = 100;
constexpr int kSystemCount = 15;
constexpr int kItemKindArchive = 1;

struct UpdateDescription {
    std::string m_strDestFolder;                      // line 16
    std::string m_strSettingsFile;                    // line 19
    std::array<std::string, 15> m_strHeader;          // lines 1-15
    std::string m_strTargetVersion;                   // line 17
    std::string m_strIntroTitleFlag;                  // line 18
    std::string m_strReserved;                        // line 20
    std::string m_strViewArtwork;                     // line 21
    std::string m_strIntroArtwork;                    // line 22
    std::string m_strDestArtwork;                     // line 23
    std::string m_strConfirmArtwork;                  // line 24
    std::string m_strIntroNotes;                      // line 25
    std::string m_strDestNotes;                       // line 26
    std::array<std::string, kMaxItems> m_strItemName;
    std::array<std::string, kMaxItems> m_strItemSubfolder;
    std::array<int, kMaxItems> m_nItemDisk{};
    std::array<int, kMaxItems> m_nItemKind{};
    int m_nItemCount = 0;
    std::array<std::string, kSystemCount> m_strSystemName;  // lines 27-41
    int m_nSystemNumber = -1;                          // set by the update run
};

}  // namespace kavrel
