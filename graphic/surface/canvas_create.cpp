#include "canvas_create.h"

#include <algorithm>

namespace qv {

bool CanvasCreate(WindowRecord& record, HWND window) {
  HDC window_dc = GetDC(window);
  if (!window_dc) return false;
  RECT client{};
  GetClientRect(window, &client);
  int32_t width = client.right, height = client.bottom;
  record.requested_width = record.view_width = record.canvas_width = record.clip_width = width;
  record.requested_height = record.view_height = record.canvas_height = record.clip_height = height;

  HDC memory_dc = CreateCompatibleDC(window_dc);
  // A window of no size still gets a colour canvas (the platform's bitmap of no size is
  // monochrome, and every later canvas copies the format of the one before).
  HBITMAP canvas = CreateCompatibleBitmap(window_dc, std::max(width, 1), std::max(height, 1));
  ReleaseDC(window, window_dc);
  if (!memory_dc || !canvas) {
    // No canvas at all rather than one whose sizes promise pixels it has not got: a window
    // larger than any bitmap the platform makes would otherwise be drawn on row by row.
    if (memory_dc) DeleteDC(memory_dc);
    if (canvas) DeleteObject(canvas);
    record.canvas_width = record.clip_width = record.canvas_height = record.clip_height = 0;
    return false;
  }
  record.memory_dc = memory_dc;
  record.default_bitmap = static_cast<HBITMAP>(SelectObject(memory_dc, canvas));
  RECT whole{0, 0, width, height};
  FillRect(memory_dc, &whole, record.graphic_brush);
  return true;
}

void CanvasColours(WindowRecord& record) {
  SetTextColor(record.memory_dc, static_cast<COLORREF>(record.fore_colour));
  SetBkColor(record.memory_dc, static_cast<COLORREF>(record.back_colour));
  SetBkMode(record.memory_dc, OPAQUE);
}

}  // namespace qv
