// The windows behind the thread's target, found under SurfaceLock.
#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

// The target's graphic-window frame, or null when the target is no graphic window's canvas.
// Called with SurfaceLock held.
HWND FrameOfTarget(const WindowRecord& record);

// The frame of the thread's target, taking and releasing SurfaceLock; null without one.
HWND TargetFrame();

}  // namespace qv
