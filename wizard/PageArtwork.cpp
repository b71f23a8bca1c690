#include "wizard/PageArtwork.h"

#include "app/SourceFolder.h"
#include "res/resource.h"

#if __has_include("artwork/win32/ArtworkPainter.h")
#include "artwork/win32/ArtworkPainter.h"
#define KAVREL_HAVE_ARTWORK 1
#endif

namespace kavrel {

void PaintPageArtwork(Platform& platform, HWND page, const std::string& artworkName) {
#ifdef KAVREL_HAVE_ARTWORK
    PaintArtworkFrame(platform, page, IDC_ARTWORK, SourceFolder() + artworkName);
#else
    (void)platform;
    (void)artworkName;
    PAINTSTRUCT ps;
    ::BeginPaint(page, &ps);
    ::EndPaint(page, &ps);
#endif
}

void PaintViewArtwork(Platform& platform, HWND view, const std::string& artworkName) {
#ifdef KAVREL_HAVE_ARTWORK
    PaintWholeClient(platform, view, SourceFolder() + artworkName);
#else
    (void)platform;
    (void)artworkName;
    PAINTSTRUCT ps;
    ::BeginPaint(view, &ps);
    ::EndPaint(view, &ps);
#endif
}

}  // namespace kavrel
