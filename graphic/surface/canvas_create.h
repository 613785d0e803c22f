#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

// Builds a surface's canvas from the window's client area, with SurfaceLock held: requested,
// view, canvas and clip sizes, a memory DC compatible with the window's DC holding a compatible
// bitmap filled with the background brush. False when the window's DC, the memory DC or the
// bitmap cannot be had (the surface then has no canvas, canvas and clip sizes 0, and drawing
// on it has no effect).
bool CanvasCreate(WindowRecord& record, HWND window);

// A new canvas of width x height with the old picture at its top-left and the background
// elsewhere; canvas and clip sizes follow, the old bitmap is deleted. A size of 0 (or less)
// keeps the canvas as it is. With SurfaceLock held.
void RecreateCanvas(WindowRecord& record, int32_t width, int32_t height);

// Text and background colour of the canvas from the record, background mode OPAQUE.
void CanvasColours(WindowRecord& record);

}  // namespace qv
