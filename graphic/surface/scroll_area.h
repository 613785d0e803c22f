// The scrolled view of a surface window: a canvas larger than the client area, seen through a
// view with scroll bars beside it. Its layout follows every resize of the window.
#pragma once

#include <windows.h>

#include <optional>

namespace qv {

// Scroll code of a scrolled view's private position message (lParam: the pixel position).
constexpr WPARAM kScrollToPosition = 0x1404;

// On the surface window's thread: the scrolled view's work of message 0x1403 (wParam x lParam
// canvas pixels); WM_HSCROLL / WM_VSCROLL of a scrolled view (nullopt for a window without
// one); WM_SIZE, after which the bars and the view follow the new client size (whoever resized
// the window: SurfaceResize, the frame, the user).
LRESULT ScrollAreaMake(HWND window, WPARAM width, LPARAM height);
std::optional<LRESULT> SurfaceScrollMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void ScrollViewSized(HWND window);
// The same lay-out of the bars and the view over the current client area, for a scrolled
// view whose size was set again (SurfaceResize): no WM_SIZE comes when the size is the same.
// Takes SurfaceLock, so never with it held.
void ScrollBarsUpdate(HWND window);

}  // namespace qv
