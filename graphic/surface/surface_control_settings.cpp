#include "surface_control_settings.h"

#include "canvas_font.h"
#include "surface.h"
#include "surface_lock.h"

namespace qv {

void SurfaceFontSelect(HANDLE surface, int32_t number, HFONT font) {
  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(surface);
  if (record && record->is_surface()) CanvasFontUse(*record, number, font);
  SurfaceRelease();
}

void SurfaceResizeTo(HWND control, int32_t width, int32_t height) {
  if (width < 1 || height < 1) return;
  SurfaceLock().lock_serving();
  WindowRecord* record = RecordFind(control);
  if (!record || record->kind != kKindGraphic) {
    SurfaceRelease();
    return;
  }
  record->requested_width = width;
  record->requested_height = height;
  SurfaceResize(*record);  // releases the lock
}

}  // namespace qv
