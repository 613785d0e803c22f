#include "canvas_font.h"
#include "memory_surface.h"
#include "window_record.h"

namespace qv {

namespace {
constexpr uint32_t kMemorySurfaceFlags = 0x10000202;  // pixels, DeferRedraw
constexpr int32_t kCanvasFontNumber = 1;
}  // namespace

HANDLE MemorySurfaceAdopt(HBITMAP canvas, int32_t width, int32_t height) {
  HDC screen = GetDC(nullptr);
  HDC dc = screen ? CreateCompatibleDC(screen) : nullptr;
  if (screen) ReleaseDC(nullptr, screen);
  WindowRecord* record = dc ? RecordCreate(canvas, nullptr, kMemorySurfaceFlags, kKindMemorySurface) : nullptr;
  if (!record) {
    if (dc) DeleteDC(dc);
    DeleteObject(canvas);
    return nullptr;
  }
  record->memory_dc = dc;
  record->default_bitmap = static_cast<HBITMAP>(SelectObject(dc, canvas));
  record->requested_width = record->view_width = record->canvas_width = record->clip_width = width;
  record->requested_height = record->view_height = record->canvas_height = record->clip_height = height;
  CanvasFontSelect(*record, kCanvasFontNumber);
  SetTextColor(dc, static_cast<COLORREF>(record->fore_colour));
  SetBkColor(dc, static_cast<COLORREF>(record->back_colour));
  SetBkMode(dc, OPAQUE);
  return canvas;
}

}  // namespace qv
