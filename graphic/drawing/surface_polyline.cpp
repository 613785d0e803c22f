#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

void SurfacePolyline(int32_t colour) {
  WindowRecord* record = SurfaceAcquire();
  auto points = PopMappedPoints(record);
  if (!record) return;
  if (!points || !record->memory_dc) {
    SurfaceRelease();
    return;
  }
  HDC dc = record->memory_dc;
  {
    int32_t line = LineColour(*record, colour);
    GdiObject pen(MakeLinePen(*record, line));
    Selection pen_selected(dc, pen.get());
    std::vector<POINT> corners = PlatformPoints(*points);
    Polyline(dc, corners.data(), static_cast<int>(corners.size()));
    const POINT& last = corners.back();
    if (InclusiveEnds(*record) && line != kColourNone) SetPixelV(dc, last.x, last.y, static_cast<COLORREF>(line));
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
