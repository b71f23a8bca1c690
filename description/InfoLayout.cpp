#include "description/InfoLayout.h"

namespace kavrel {

std::string& TextOf(UpdateDescription& d, InfoField field, int index) {
    switch (field) {
    case InfoField::Header: return d.m_strHeader.at(static_cast<std::size_t>(index));
    case InfoField::InstallFolder: return d.m_strDestFolder;
    case InfoField::TargetVersion: return d.m_strTargetVersion;
    case InfoField::IntroTitleFlag: return d.m_strIntroTitleFlag;
    case InfoField::SettingsFile: return d.m_strSettingsFile;
    case InfoField::Reserved: return d.m_strReserved;
    case InfoField::ViewArtwork: return d.m_strViewArtwork;
    case InfoField::IntroArtwork: return d.m_strIntroArtwork;
    case InfoField::DestinationArtwork: return d.m_strDestArtwork;
    case InfoField::ConfirmArtwork: return d.m_strConfirmArtwork;
    case InfoField::IntroNotes: return d.m_strIntroNotes;
    case InfoField::DestinationNotes: return d.m_strDestNotes;
    case InfoField::SystemName: return d.m_strSystemName.at(static_cast<std::size_t>(index));
    }
    return d.m_strReserved;
}

const std::string& TextOf(const UpdateDescription& d, InfoField field, int index) {
    return TextOf(const_cast<UpdateDescription&>(d), field, index);
}

}  // namespace kavrel
