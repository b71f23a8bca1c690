// Paint helpers for the WM_PAINT handlers of the wizard pages and of the main view.
// Each reads the picture file afresh (through `files`, so tests can feed it),
// draws it with DrawBitmapFile and releases every handle it took on every path. A file
// that cannot be used leaves the place unpainted, silently.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Files.h"

namespace kavrel {

// The artwork frame of every page: a black-frame static.
inline constexpr int kArtworkFrameId = 1007;

// For a page's OnPaint: begins painting the dialog (validating its update region),
// takes control `controlId` and a device context of it, invalidates the whole control
// with erasing and updates it at once (so its background and black frame are painted
// before the picture, and a missing picture leaves the empty frame), then stretches the
// picture at `path` over the control's client rectangle, releases the control's device
// context and ends painting.
void PaintArtworkFrame(FileReader& files, HWND dialog, int controlId,
                       const std::string& path) noexcept;

// For the main view's OnPaint: begins painting, stretches the picture at `path` over the
// whole client rectangle of `view`, ends painting.
void PaintWholeClient(FileReader& files, HWND view, const std::string& path) noexcept;

}  // namespace kavrel
