// Room window/: graphic windows on threads of their own (open, loop, frame and canvas
// procedures, the private messages' work, caption, close, place, client size, the window target,
// stretched and scrolled views, view position). It uses the surface and drawing rooms.
//
// Graphic windows: a top-level frame of class "QUILLGRAPH" holding one canvas child (control
// identifier 0, kind 14) that fills its client area. The window runs its own message loop on
// the thread that opened it and refreshes the canvas from that loop; any thread draws into it
// through its DrawTarget. Threads, records and SurfaceLock: see window_record.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "surface_messages.h"
#include "window_record.h"

namespace qv {

// Options of an open.
constexpr uint32_t kWindowSizeInCells = 0x10;   // width and height count character cells
constexpr uint32_t kWindowShowInactive = 0x40;  // shown with SW_SHOWNOACTIVATE

constexpr uint32_t kGraphicFrameFlags = 0x80011002;
constexpr uint32_t kCanvasChildFlags = 0x20002002;  // includes BatchRedraw
constexpr uint32_t kGraphicWindowDefaultStyle = 0x868A0000;

// Opens a graphic window and runs its loop on the calling thread until the window is destroyed;
// returns the frame handle (no longer valid then), or 0 when the window could not be made. The
// title is a UTF-16 string on top of the caller's operand stack, always removed. Style 0 is
// the default style; a non-empty title adds WS_CAPTION. A font number that is not in the font
// table uses font 1.
HWND SurfaceWindowOpen(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t style, int32_t font_number,
                       uint32_t options);

// The same on a new run-time thread; returns as soon as the window exists (0 when it could not
// be made). A caller without DrawTarget gets the new canvas as its target.
HWND SurfaceWindowOpenThreaded(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t style,
                               int32_t font_number, uint32_t options);

LRESULT CALLBACK SurfaceWindowProcedure(HWND frame, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK SurfaceChildProcedure(HWND canvas, UINT message, WPARAM wparam, LPARAM lparam);

// The private messages' work, on the window's thread (SurfaceChildProcedure calls it).
LRESULT CanvasPrivateMessage(HWND canvas, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace qv
