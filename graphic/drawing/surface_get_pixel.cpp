#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

int32_t SurfaceGetPixel(float x, float y, int32_t relative) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return static_cast<int32_t>(CLR_INVALID);
  PixelPoint p = SurfaceMapPoint(*record, x, y, relative != 0);
  COLORREF colour = record->memory_dc ? GetPixel(record->memory_dc, p.x, p.y) : CLR_INVALID;
  SurfaceRelease();
  return static_cast<int32_t>(colour);
}

}  // namespace qv
