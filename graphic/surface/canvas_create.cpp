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

  record.memory_dc = CreateCompatibleDC(window_dc);
  // A window of no size still gets a colour canvas (the platform's bitmap of no size is
  // monochrome, and every later canvas copies the format of the one before).
  HBITMAP canvas = CreateCompatibleBitmap(window_dc, std::max(width, 1), std::max(height, 1));
  if (record.memory_dc && canvas)
    record.default_bitmap = static_cast<HBITMAP>(SelectObject(record.memory_dc, canvas));
  else if (canvas)
    DeleteObject(canvas);
  RECT whole{0, 0, width, height};
  if (record.memory_dc) FillRect(record.memory_dc, &whole, record.graphic_brush);
  ReleaseDC(window, window_dc);
  return record.memory_dc != nullptr;
}

void CanvasColours(WindowRecord& record) {
  SetTextColor(record.memory_dc, static_cast<COLORREF>(record.fore_colour));
  SetBkColor(record.memory_dc, static_cast<COLORREF>(record.back_colour));
  SetBkMode(record.memory_dc, OPAQUE);
}

}  // namespace qv
