#include "wizard/PageArtwork.h"

#include "app/SourceFolder.h"
#include "artwork/win32/ArtworkPainter.h"
#include "res/resource.h"

namespace kavrel {

// The name is appended to the Source folder as it stands, nothing inserted between.
void PaintPageArtwork(Platform& platform, HWND page, const std::string& artworkName) {
    PaintArtworkFrame(platform, page, IDC_ARTWORK, SourceFolder() + artworkName);
}

void PaintViewArtwork(Platform& platform, HWND view, const std::string& artworkName) {
    PaintWholeClient(platform, view, SourceFolder() + artworkName);
}

}  // namespace kavrel
