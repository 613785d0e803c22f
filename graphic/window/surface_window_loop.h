#pragma once

#include <windows.h>

namespace qv {

// The graphic window's message loop on its own thread, until WM_QUIT. After each message or
// idle wait it tries SurfaceLock once: free, it refreshes a dirty canvas (unless DeferRedraw);
// busy, it asks the drawing thread's next mark to refresh (ForceRefresh) and looks again after
// 1 ms. With nothing to do it sleeps until a message arrives, and marks that leave the canvas
// dirty post it one.
void SurfaceWindowLoop(HWND frame);

}  // namespace qv
