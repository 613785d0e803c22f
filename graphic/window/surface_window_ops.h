// Operations on the window that shows the thread's target. The frame operations act on a
// graphic window's frame (the target is its canvas) and do nothing for other targets; the view
// operations act on any graphic surface window, a dialog's graphic control included.
//
// Work that waits for the window's own thread (window text, placement, showing, closing) is
// done after SurfaceLock is released, and work that must run on that thread (client size,
// stretched and scrolled views, focus, view position) is sent to the surface window as a
// private or scroll message after the release, as SurfaceWindowSend does: the handler takes the
// lock itself, so a sender that kept it would wait for itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace qv {

// Caption of the frame: pushed as UTF-16 (empty without a graphic window) / set from the
// UTF-16 top operand, always consumed.
void SurfaceWindowGetCaption();
void SurfaceWindowSetCaption();

// Closes the frame as its close command does, even when the close command is blocked; the
// calling thread loses its target when it was this window.
void SurfaceWindowClose();

// Frame to the foreground and the keyboard focus to the canvas (on the window's thread).
void SurfaceWindowToFront();

// Shows (non-zero) or hides (0) the frame.
void SurfaceWindowShow(int32_t visible);

// Greys out the close item of the frame's system menu.
void SurfaceWindowDisableClose();

struct WindowPlace {
  int32_t x = 0, y = 0, width = 0, height = 0;  // outer rectangle, screen pixels
};
WindowPlace SurfaceWindowGetPlace();  // all 0 without a graphic window
void SurfaceWindowSetPlace(int32_t x, int32_t y, int32_t width, int32_t height);

// The surface window's client area becomes width x height pixels: a graphic window's frame
// follows; the canvas is re-created at that size unless the view is stretched or scrolled.
void SurfaceWindowSetClientSize(int32_t width, int32_t height);

// Graphic windows: non-zero shows the whole canvas stretched to the client area; 0 one to one.
void SurfaceStretchView(int32_t on);

// The window shows part of a canvas of width x height pixels (the old picture stays at the
// top-left) with scroll bars and a filler in the corner.
void SurfaceScrollView(int32_t width, int32_t height);

// In a scrolled view, the canvas point shown at the window's top-left, in user units; kept
// inside the canvas.
void SurfaceViewPosition(float x, float y);

}  // namespace qv
