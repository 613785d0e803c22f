#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceSetPixel(float x, float y, int32_t relative, int32_t colour) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  PixelPoint p = SurfaceMapPoint(*record, x, y, relative != 0);
  int32_t line = LineColour(*record, colour);
  record->current_x = p.x;
  record->current_y = p.y;
  if (record->memory_dc && line != kColourNone) SetPixelV(record->memory_dc, p.x, p.y, static_cast<COLORREF>(line));
  int32_t mark_x = MarkCoordinate(p.x), mark_y = MarkCoordinate(p.y);
  SurfaceMarkDirty(*record, mark_x, mark_y, mark_x + 1, mark_y + 1);
}

}  // namespace qv
