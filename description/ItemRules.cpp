#include "description/ItemRules.h"

#include "description/SplitPath.h"

namespace kavrel {

bool IsSystemArchive(const std::string& itemName) { return SplitPath(itemName).fname == "START"; }

}  // namespace kavrel
