#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

void SurfacePolyline(int32_t colour) {
  auto [record, points] = AcquireWithPoints();
  if (!record) return;
  HDC dc = record->memory_dc;
  {
    int32_t line = LineColour(*record, colour);
    std::vector<POINT> corners = PlatformPoints(points);
    if (LinesWithinReach(*record, points)) {
      GdiObject pen(MakeLinePen(*record, line));
      Selection pen_selected(dc, pen.get());
      Polyline(dc, corners.data(), static_cast<int>(corners.size()));
    } else if (line != kColourNone) {  // the platform's wide lines cost time by their size
      GdiObject brush(CreateSolidBrush(static_cast<COLORREF>(line)));
      FillSpans(dc, StrokeSpans(points, false, PenExtent(*record), record->canvas_width, record->canvas_height),
                static_cast<HBRUSH>(brush.get()));
    }
    const POINT& last = corners.back();
    if (InclusiveEnds(*record) && line != kColourNone) SetPixelV(dc, last.x, last.y, static_cast<COLORREF>(line));
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
