#include "surface.h"
#include "surface_map_point.h"
#include "scroll_area.h"
#include "surface_window_ops.h"

namespace qv {

void SurfaceViewPosition(float x, float y) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->kind != kKindGraphic || !(record->flags & kScrollView)) return SurfaceRelease();
  PixelPoint at = SurfaceMapPoint(*record, x, y, false);
  HWND window = record->window();
  SurfaceRelease();
  // The scroll code runs on the window's thread and takes the lock itself.
  SendMessageW(window, WM_HSCROLL, kScrollToPosition, at.x);
  SendMessageW(window, WM_VSCROLL, kScrollToPosition, at.y);
}

}  // namespace qv
