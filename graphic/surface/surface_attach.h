#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// SurfaceAttach option: drawing marks the canvas but does not refresh the window.
constexpr int32_t kAttachDeferRedraw = 0x200;

// Makes the control `id` of `window` (or the window itself when it has no such control) the
// thread's drawing target. Raises 5, leaving the thread without target, when it is not a
// surface.
void SurfaceAttach(HANDLE window, int32_t id, int32_t option);

// The thread loses its target; the companion only when the target is `target`.
void SurfaceDetach();
void SurfaceDetachFrom(HANDLE target);

}  // namespace qv
