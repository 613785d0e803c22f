// The refresh steps under the threading rule of window_record.h: no thread updates, resizes or
// otherwise works a window while it holds SurfaceLock. Updating a window can run other
// threads' windows' messages (activation, focus), and one of those may wait for the lock.
#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

// Invalidates the dirty part and marks the surface clean; with SurfaceLock held. Returns the
// window that the caller updates with UpdateAfterRelease once it has released the lock (null
// for a memory surface).
HWND SurfaceRefreshLocked(WindowRecord& record);

// UpdateWindow with the caller's floating-point state kept; nothing for null. The paint takes
// SurfaceLock itself.
void UpdateAfterRelease(HWND window);

// Wakes the loop of a graphic window's thread so that it refreshes the canvas (one wake-up
// message at a time); with SurfaceLock held.
void WakeWindowThread(WindowRecord& record);

}  // namespace qv
