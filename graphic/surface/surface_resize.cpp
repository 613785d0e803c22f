#include <algorithm>

#include "canvas_create.h"
#include "scroll_area.h"
#include "surface.h"
#include "surface_refresh.h"

namespace qv {

void RecreateCanvas(WindowRecord& record, int32_t width, int32_t height) {
  // The platform's bitmap of no size is its 1 x 1 monochrome one, whose format every later
  // canvas would copy: a window of no size keeps the canvas it had.
  if (!record.memory_dc || width <= 0 || height <= 0) return;
  HDC scratch = CreateCompatibleDC(nullptr);
  HBITMAP grown = CreateCompatibleBitmap(record.memory_dc, width, height);
  if (!scratch || !grown) {
    if (grown) DeleteObject(grown);
    if (scratch) DeleteDC(scratch);
    return;
  }
  HGDIOBJ scratch_default = SelectObject(scratch, grown);
  RECT whole{0, 0, width, height};
  FillRect(scratch, &whole, record.graphic_brush);
  BitBlt(scratch, 0, 0, std::min(width, record.canvas_width), std::min(height, record.canvas_height),
         record.memory_dc, 0, 0, SRCCOPY);
  record.canvas_width = record.clip_width = width;
  record.canvas_height = record.clip_height = height;
  SelectObject(scratch, scratch_default);
  DeleteDC(scratch);
  HGDIOBJ old = SelectObject(record.memory_dc, grown);
  if (old) DeleteObject(old);
}

namespace {

void ResizeWindowClient(HWND window, int32_t width, int32_t height) {
  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  SetWindowPos(window, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
               height + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace

void SurfaceResize(WindowRecord& record) {
  int32_t width = record.requested_width, height = record.requested_height;
  record.view_width = width;
  record.view_height = height;
  // A memory surface's canvas is its handle; its own operations re-create it.
  if (record.kind == kKindGraphic && !(record.flags & (kStretchView | kScrollView)))
    RecreateCanvas(record, width, height);
  HWND window = record.kind == kKindGraphic ? record.window() : nullptr;
  bool scrolled = (record.flags & kScrollView) != 0;
  record.flags |= kForceRefresh;
  SurfaceMarkDirty(record, 0, 0, record.canvas_width, record.canvas_height);
  // Only now that the lock is free: resizing runs the window's messages, on its own thread.
  if (window) ResizeWindowClient(window, width, height);
  // The bars take their share of the view again even when the size did not change, so that no
  // WM_SIZE came (a window restored from its icon).
  if (window && scrolled) ScrollBarsUpdate(window);
}

}  // namespace qv
