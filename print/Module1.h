#pragma once

#include "runtime/Gdi.h"
#include "runtime/Picture.h"

#include <cstdint>

// Copying a rectangle of a window, as the display shows it, into a picture object.
namespace qv::Module1 {

// The rectangle (left, top, width, height) of the window's client area, or of the whole
// window with its frame when clientArea's low 16 bits are zero, as a new picture that owns its
// bitmap and palette. The rectangle is neither tested nor clipped; no call's result is tested.
// The empty picture when none could be made.
Picture CaptureWindowArea(Gdi& gdi, Gdi::Handle window, std::int32_t clientArea, std::int32_t left,
                          std::int32_t top, std::int32_t width, std::int32_t height);

// Wraps a bitmap and an optional palette (0 for none) into a picture that owns both.
Picture MakePictureFromBitmap(Gdi& gdi, Gdi::Handle bitmap, Gdi::Handle palette);

} // namespace qv::Module1
