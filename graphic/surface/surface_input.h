// Keyboard, focus, scroll and wheel messages of a surface window, shared by the graphic
// control's procedure and the canvas child of a graphic window.
#pragma once

#include <windows.h>

#include <optional>

namespace qv {

// The answer when the message is handled here; nullopt when it goes on to the window's saved
// procedure. `tab_by_whole_code`: the TAB test of WM_CHAR compares the whole 16-bit character
// code (canvas child) instead of its low byte (graphic control). Record fields change under
// SurfaceLock.
std::optional<LRESULT> SurfaceInputMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           bool tab_by_whole_code);

LRESULT CallSavedProcedure(WNDPROC saved, HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace qv
