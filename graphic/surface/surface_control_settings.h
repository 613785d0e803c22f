// The graphic side of the dialog engine's font and size settings of graphic controls, reached
// through the surface seam.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Selects FontTable font `number` (its handle `font`) into the surface's canvas.
void SurfaceFontSelect(HANDLE surface, int32_t number, HFONT font);

// Re-creates a graphic control's canvas at width x height, the old picture at its top-left, and
// sizes the control so that its client area is the canvas. Sizes below 1 change nothing.
void SurfaceResizeTo(HWND control, int32_t width, int32_t height);

}  // namespace qv
