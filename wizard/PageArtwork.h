// Paint handlers' common step: the artwork named in info.txt, taken from the Source
// folder, in a page's frame (control 1007) or over the whole view.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Platform.h"

namespace kavrel {

void PaintPageArtwork(Platform& platform, HWND page, const std::string& artworkName);
void PaintViewArtwork(Platform& platform, HWND view, const std::string& artworkName);

}  // namespace kavrel
