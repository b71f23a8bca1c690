// A description for the registration tests whose system names let an icon's name pick
// the position: "S<n>_" is the name at position n, so S4_.ico gives 4.
#pragma once

#include <string>

#include "description/UpdateDescription.h"

namespace kavrel::test {

inline UpdateDescription NumberedSystems() {
    UpdateDescription desc;
    desc.m_strSystemName = {"S1_", "S2_",  "S3_",  "S4_",  "S5_",  "S6_",  "S7_", "S8_",
                            "S9_", "S10_", "S11_", "S12_", "S13_", "S14_", "S15_"};
    desc.m_strSettingsFile = "pemsoa1.ini";
    desc.m_nSystemNumber = 9;  // left from an earlier step: to be replaced
    return desc;
}

}  // namespace kavrel::test
