#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceMoveTo(float x, float y, int32_t relative) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  PixelPoint p = SurfaceMapPoint(*record, x, y, relative != 0);
  record->current_x = p.x;
  record->current_y = p.y;
  if (record->memory_dc) MoveToEx(record->memory_dc, p.x, p.y, nullptr);
  SurfaceRelease();
}

}  // namespace qv
