#include "wizard/PageArtwork.h"

#include "artwork/win32/ArtworkPainter.h"
#include "res/resource.h"

namespace kavrel {

void PaintPageArtwork(FileReader& medium, HWND page, const std::string& path) {
    PaintArtworkFrame(medium, page, IDC_ARTWORK, path);
}

void PaintViewArtwork(FileReader& medium, HWND view, const std::string& path) { PaintWholeClient(medium, view, path); }

}  // namespace kavrel
