// Paint handlers' common step: the artwork at `path` (the medium's folder and the name in
// info.txt, nothing inserted between), in a page's frame (control 1007) or over the view.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Files.h"

namespace kavrel {

void PaintPageArtwork(FileReader& medium, HWND page, const std::string& path);
void PaintViewArtwork(FileReader& medium, HWND view, const std::string& path);

}  // namespace kavrel
