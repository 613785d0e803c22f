#include "draw_target.h"
#include "surface.h"
#include "surface_keys.h"
#include "surface_lock.h"
#include "surface_map_point.h"

namespace qv {

namespace {

// The canvas record of a canvas or of its frame, with SurfaceLock held.
WindowRecord* CanvasRecord(HWND window) {
  WindowRecord* record = RecordFind(window);
  if (record && record->kind == kKindGraphic) return record;
  if (!record || record->kind != 0) return nullptr;
  WindowRecord* canvas = RecordFind(GetDlgItem(window, 0));
  return canvas && canvas->kind == kKindGraphic ? canvas : nullptr;
}

// The click is in client pixels: a scrolled view shows the canvas from its view origin, a
// stretched one the whole canvas scaled to the view.
PixelPoint ClickedCanvasPixel(const WindowRecord& record) {
  int64_t x = record.click_x, y = record.click_y;
  if ((record.flags & kStretchView) && record.view_width > 0 && record.view_height > 0)
    return {static_cast<int32_t>(x * record.canvas_width / record.view_width),
            static_cast<int32_t>(y * record.canvas_height / record.view_height)};
  return {static_cast<int32_t>(x + record.view_x), static_cast<int32_t>(y + record.view_y)};
}

}  // namespace

ClickReading SurfaceClickRead(HWND window) {
  if (!window) window = static_cast<HWND>(DrawTargetGet());
  if (!window) return {};
  SurfaceLock().lock();
  WindowRecord* record = CanvasRecord(window);
  if (!record) {
    SurfaceLock().unlock();
    return {};
  }
  ClickReading reading;
  uint32_t state = record->click_state;
  if (state & 1) {
    reading.state = 1;
    record->click_state = state & 2;  // a double-click after the click waits for the next read
  } else if (state & 2) {
    reading.state = 2;
    record->click_state = 0;
  }
  if (reading.state) {
    PixelPoint pixel = ClickedCanvasPixel(*record);
    UserPoint at = PixelToUserPoint(UserSpaceOf(*record), pixel.x, pixel.y);
    reading.x = ToFloat32(at.x);
    reading.y = ToFloat32(at.y);
  }
  SurfaceLock().unlock();
  return reading;
}

}  // namespace qv
