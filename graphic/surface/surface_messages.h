// The private messages of surface windows (a dialog's graphic control and a graphic window's
// canvas) and the send that carries an operation's work to the window's own thread.
#pragma once

#include <windows.h>

#include "window_record.h"

namespace qv {

// Private messages of surface windows; they run on the window's own thread. Send them with
// SurfaceWindowSend, never with SurfaceLock held.
constexpr UINT kCanvasBringToFront = 0x1400;  // frame to the foreground, focus to the canvas
constexpr UINT kCanvasClientSize = 0x1401;    // wParam x lParam becomes the client size
constexpr UINT kCanvasStretchView = 0x1402;   // wParam non-zero: stretched view on; 0: off
constexpr UINT kCanvasScrollArea = 0x1403;    // scrolled view over a larger canvas

// Ends a surface operation that must be finished on the surface window's own thread: called
// with SurfaceLock held (the record from SurfaceAcquire), releases it, then sends the message
// to the record's window and returns its answer. The handler takes the lock itself. Nested inside
// an outer hold of the calling thread, the send waits for the outermost release (answer 0).
LRESULT SurfaceWindowSend(WindowRecord& record, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace qv
