// The refresh steps that respect the threading rule of window_record.h: a thread that holds
// SurfaceLock never waits for another thread's window.
#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

// Invalidates the dirty part and marks the surface clean; with SurfaceLock held. A window of
// the calling thread is updated at once; another thread's window is returned so that the
// caller updates it with UpdateAfterRelease once it has released the lock (null otherwise).
HWND SurfaceRefreshLocked(WindowRecord& record);

// UpdateWindow with the caller's floating-point state kept; nothing for null.
void UpdateAfterRelease(HWND window);

bool WindowOfCallingThread(HWND window);

// Wakes the loop of a graphic window's thread so that it refreshes the canvas (one wake-up
// message at a time); with SurfaceLock held.
void WakeWindowThread(WindowRecord& record);

}  // namespace qv
