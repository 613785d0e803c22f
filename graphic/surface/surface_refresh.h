// The refresh steps under the threading rule of window_record.h: windows are updated and
// resized only once SurfaceLock is free. Another thread's window paints on its own thread,
// which may be waiting for the lock; and a paint that always takes the lock needs no knowledge
// of who refreshed.
#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

// Invalidates the dirty part and marks the surface clean; with SurfaceLock held. Returns the
// window that the caller updates with UpdateAfterRelease once it has released the lock (null
// for a memory surface).
HWND SurfaceRefreshLocked(WindowRecord& record);

// UpdateWindow with the caller's floating-point state kept; nothing for null. The paint takes
// SurfaceLock itself, so inside an outer hold of the calling thread the update waits for the
// outermost release.
void UpdateAfterRelease(HWND window);

// Wakes the loop of a graphic window's thread so that it refreshes the canvas (one wake-up
// message at a time); with SurfaceLock held.
void WakeWindowThread(WindowRecord& record);

}  // namespace qv
