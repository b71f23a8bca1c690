// kavrel-pack show: the description of a medium as Kavrel reads it, in UTF-8, with the
// notes broken into lines as the pages show them.
#pragma once

#include <string>

namespace kavrel::pack {

// The text to print; false with a message in `error` when there is no info.txt.
bool ShowMedium(const std::string& medium, std::string& text, std::string& error);

}  // namespace kavrel::pack
