// The 41 fixed lines of info.txt: which line holds what. The reader, the vendor's
// writer, its check and its show all take the layout from this one table.
#pragma once

#include <string>

#include "description/UpdateDescription.h"

namespace kavrel {

enum class InfoField {
    Header,             // lines 1-15: line 1 is the title
    InstallFolder,      // 16
    TargetVersion,      // 17
    IntroTitleFlag,     // 18
    SettingsFile,       // 19
    Reserved,           // 20
    ViewArtwork,        // 21
    IntroArtwork,       // 22
    DestinationArtwork, // 23
    ConfirmArtwork,     // 24
    IntroNotes,         // 25: line breaks written as TAB and a filler byte
    DestinationNotes,   // 26
    SystemName,         // 27-41: system 1 to 15
};

struct InfoFieldSpan {
    InfoField field;
    int firstLine;
    int lines;
    const char* label;  // for the vendor's tools
};

inline constexpr InfoFieldSpan kInfoLayout[] = {
    {InfoField::Header, 1, kHeaderLines, "header"},
    {InfoField::InstallFolder, 16, 1, "install folder"},
    {InfoField::TargetVersion, 17, 1, "target version"},
    {InfoField::IntroTitleFlag, 18, 1, "intro title"},
    {InfoField::SettingsFile, 19, 1, "settings file"},
    {InfoField::Reserved, 20, 1, "reserved"},
    {InfoField::ViewArtwork, 21, 1, "view artwork"},
    {InfoField::IntroArtwork, 22, 1, "intro artwork"},
    {InfoField::DestinationArtwork, 23, 1, "destination artwork"},
    {InfoField::ConfirmArtwork, 24, 1, "confirm artwork"},
    {InfoField::IntroNotes, 25, 1, "intro page notes"},
    {InfoField::DestinationNotes, 26, 1, "destination page notes"},
    {InfoField::SystemName, 27, kSystemCount, "system"},
};

// The line (from 1) that holds `field`; `index` counts within the header and the systems.
constexpr int LineOf(InfoField field, int index = 0) {
    for (const InfoFieldSpan& span : kInfoLayout) {
        if (span.field == field) return span.firstLine + index;
    }
    return 0;
}

constexpr bool IsNotesField(InfoField field) {
    return field == InfoField::IntroNotes || field == InfoField::DestinationNotes;
}

// The four pictures, in line order.
inline constexpr InfoField kArtworkFields[] = {InfoField::ViewArtwork, InfoField::IntroArtwork,
                                              InfoField::DestinationArtwork, InfoField::ConfirmArtwork};

// The member of the description that holds a fixed line.
std::string& TextOf(UpdateDescription& desc, InfoField field, int index = 0);
const std::string& TextOf(const UpdateDescription& desc, InfoField field, int index = 0);

}  // namespace kavrel
