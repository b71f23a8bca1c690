// The item loop of the update run: disk prompts, target folders, archive extraction and
// plain copies, strictly in table order; the first failure stops the loop.
#pragma once

#include <optional>
#include <string>

#include "description/UpdateDescription.h"
#include "platform/Platform.h"

namespace kavrel {

struct ItemRunContext {
    Platform& platform;
    UpdateDescription& desc;
    const std::string& sourceFolder;
    const std::string& installFolder;     // the working folder as the checks left it
    const std::string& windowsDirectory;
};

// Empty when every item was installed; otherwise the run's result, after the item's
// message has been shown.
std::optional<int> InstallItems(const ItemRunContext& context);

}  // namespace kavrel
