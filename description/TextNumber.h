// atoi as the C runtime reads the numbers of info.txt: leading blanks, an optional sign,
// digits up to the first non-digit; 0 when there are none. Saturates instead of
// overflowing.
#pragma once

#include <string_view>

namespace kavrel {

int AtoiLike(std::string_view text);

}  // namespace kavrel
