#include "font_table.h"
#include "canvas_font.h"
#include "draw_target.h"
#include "surface.h"

namespace qv {

namespace {

constexpr int32_t kCanvasFontNumber = 1;

void MakeCanvas(WindowRecord& record, HWND control) {
  HDC window_dc = GetDC(control);
  if (!window_dc) return;  // no canvas: drawing on this surface has no effect
  RECT client{};
  GetClientRect(control, &client);
  int32_t width = client.right, height = client.bottom;
  record.requested_width = record.view_width = record.canvas_width = record.clip_width = width;
  record.requested_height = record.view_height = record.canvas_height = record.clip_height = height;

  record.memory_dc = CreateCompatibleDC(window_dc);
  HBITMAP canvas = CreateCompatibleBitmap(window_dc, width, height);
  if (record.memory_dc && canvas)
    record.default_bitmap = static_cast<HBITMAP>(SelectObject(record.memory_dc, canvas));
  else if (canvas)
    DeleteObject(canvas);
  RECT whole{0, 0, width, height};
  if (record.memory_dc) FillRect(record.memory_dc, &whole, record.graphic_brush);
  ReleaseDC(control, window_dc);
  if (!record.memory_dc) return;

  CanvasFontSelect(record, kCanvasFontNumber);
  SetTextColor(record.memory_dc, static_cast<COLORREF>(record.fore_colour));
  SetBkColor(record.memory_dc, static_cast<COLORREF>(record.back_colour));
  SetBkMode(record.memory_dc, OPAQUE);
}

}  // namespace

void SurfaceSetUp(WindowRecord& record, HWND control) {
  record.saved_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SurfaceControlProcedure)));
  MakeCanvas(record, control);
  if ((record.flags & kFlagDialogUnits) && record.unit_width > 0 && record.unit_height > 0) {
    record.scale_x = static_cast<float>(record.canvas_width) / static_cast<float>(record.unit_width);
    record.scale_y = static_cast<float>(record.canvas_height) / static_cast<float>(record.unit_height);
  }
  record.pen_width = 0;
  if (!DrawTargetGet()) DrawTargetSet(control);
}

}  // namespace qv
