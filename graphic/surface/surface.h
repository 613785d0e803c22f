// Room surface/: the surface itself (record fields and flags, SurfaceLock, acquire and release,
// marks, refresh, paint, resize, set-up, the canvas and its font, attach and the drawing target,
// colours, pen, brush, clearing, pixel strings, the control procedure and settings, the scrolled
// view's layout, start-up). It uses the portable core, the dialog engine and the run-time, and no
// other room of graphic/.
//
// Graphic surfaces: a window whose picture lives in an off-screen canvas (a compatible bitmap
// in a memory DC). Drawing goes into the canvas only; the window copies the canvas to the
// screen when it paints. Every drawing operation runs as
//   record = SurfaceAcquire(); if (!record) return; draw into record->memory_dc;
//   SurfaceMarkDirty(record, ...)   // or SurfaceRelease() when nothing visible changed
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "window_record.h"

namespace qv {

// The line pitch: line height plus the gap, never negative.
inline int32_t LinePitch(const WindowRecord& record) { return std::max(0, record.line_height + record.line_gap); }

// Finishes a new kind-14 control: subclass, canvas from the client area filled with the
// background, font 1 at 8 points, colours, scale factors; the first surface of a thread
// becomes its target.
void SurfaceSetUp(WindowRecord& record, HWND control);

// The calling thread's target with SurfaceLock held, or null with the lock free again.
WindowRecord* SurfaceAcquire();
void SurfaceRelease();

enum class MarkMode { kAsPassed = 0, kPen = 1, kText = 2 };

// Adds the rectangle to the dirty area and refreshes by the surface's rule (DeferRedraw,
// BatchRedraw, ForceRefresh). Always releases SurfaceLock.
void SurfaceMarkDirty(WindowRecord& record, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      MarkMode mode = MarkMode::kAsPassed);

// Invalidates the dirty part of the canvas and marks it clean, with SurfaceLock held; the window
// paints it from its loop. SurfaceMarkDirty and SurfaceRedraw, which end by releasing the lock,
// also update the window then, so the paint has run when they return.
void SurfaceRefresh(WindowRecord& record);

// Repaints the whole target window now; how deferred drawing becomes visible.
void SurfaceRedraw();

// Re-creates the canvas at the requested size, keeping the picture at the top-left. Called
// with SurfaceLock held; releases it through its final mark.
void SurfaceResize(WindowRecord& record);

// WM_DRAWITEM of a graphic control: copies the canvas into the item's DC. TRUE when handled.
BOOL SurfacePaint(const DRAWITEMSTRUCT& item, HWND owner);

// The window procedure of graphic controls: keys, focus, wheel.
LRESULT CALLBACK SurfaceControlProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// How the graphic control treats a key message.
enum class KeyAction { kStore, kDefault, kNavigate };
KeyAction KeyClassify(UINT message, LPARAM lparam, bool num_lock, bool shift);

}  // namespace qv
