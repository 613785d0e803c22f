// The drawing target and the settings of the target that clearing and drawing use.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

constexpr int32_t kAttachDeferRedraw = 0x200;

// Makes the control `id` of `window` (or the window itself when it has no such control) the
// thread's target. Raises 5, leaving the thread without target, when it is not a surface.
void SurfaceAttach(HANDLE window, int32_t id, int32_t option);

// The thread loses its target; the companion only when the target is `target`.
void SurfaceDetach();
void SurfaceDetachFrom(HANDLE target);

// Fills the whole canvas (colour -1: the background colour, -2: nothing) with fill style 0
// (solid) or 1-6 (hatches), moves the position to the clip origin and refreshes.
void SurfaceClear(int32_t colour, int32_t fill_style);

void SurfaceSetForeColor(int32_t colour);
void SurfaceSetBackColor(int32_t colour);
void SurfaceSetPenStyle(int32_t style);
void SurfaceSetPenWidth(int32_t width);

// Colour -2: the hollow stock brush; else a solid brush (style 0) or a hatch (styles 1-6).
// The caller deletes it.
HBRUSH SurfaceMakeBrush(int32_t colour, int32_t fill_style);

}  // namespace qv
