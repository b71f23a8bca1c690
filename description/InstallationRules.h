// What info.txt may say about the installation it is for: the settings file that marks
// it, and the versions the program updates at all.
#pragma once

#include <array>
#include <string>

namespace kavrel {

// Line 19 "NULL" (in capitals) asks for the names the product has used, in this order.
inline constexpr const char* kProbeSettingsFile = "NULL";
inline constexpr std::array<const char*, 2> kProbedSettingsFiles = {"pemsoa1.ini", "tirvelo1.ini"};

// The installed versions the program accepts at all.
inline constexpr std::array<const char*, 3> kKnownVersions = {"V6.1", "V6.2", "V8"};
bool IsKnownVersion(const std::string& version);
// "V6.1, V6.2 and V8", for the vendor's messages.
std::string KnownVersionsText();

}  // namespace kavrel
