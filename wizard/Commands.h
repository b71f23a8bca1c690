// Commands the wizard posts to the view, and the destination page's Back result.
#pragma once

namespace kavrel {

constexpr int ID_PAGE_INTRO = 101;
constexpr int ID_PAGE_DESTINATION = 102;
constexpr int ID_PAGE_CONFIRM = 103;
constexpr int IDBACK_PAGE = 1008;

}  // namespace kavrel
