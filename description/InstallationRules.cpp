#include "description/InstallationRules.h"

namespace kavrel {

bool IsKnownVersion(const std::string& version) {
    for (const char* known : kKnownVersions) {
        if (version == known) return true;
    }
    return false;
}

std::string KnownVersionsText() {
    std::string text;
    for (std::size_t i = 0; i < kKnownVersions.size(); ++i) {
        if (i > 0) text += i + 1 == kKnownVersions.size() ? " and " : ", ";
        text += kKnownVersions[i];
    }
    return text;
}

}  // namespace kavrel
