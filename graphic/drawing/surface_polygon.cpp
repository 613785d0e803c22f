#include "box_geometry.h"
#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_make_brush.h"

namespace qv {

void SurfacePolygon(int32_t colour, int32_t fill_colour, int32_t fill_style, int32_t alternate) {
  auto [record, points] = AcquireWithPoints();
  if (!record) return;
  HDC dc = record->memory_dc;
  const int32_t width = record->canvas_width, height = record->canvas_height;
  int32_t line = LineColour(*record, colour), fill = FillColour(fill_colour, line);
  GdiObject brush(SurfaceMakeBrush(fill, fill_style));
  std::vector<POINT> corners = PlatformPoints(points);
  // The platform's polygon costs time by its rows times its edges, and its wide outline more.
  if (PointsWithinReach(points, width, height) && LinesWithinReach(*record, points, true) &&
      PlatformAffords(points, 0, static_cast<int64_t>(points.size()))) {
    GdiObject pen(MakeLinePen(*record, line));
    Selection pen_selected(dc, pen.get());
    Selection brush_selected(dc, brush.get());
    int previous = SetPolyFillMode(dc, alternate ? ALTERNATE : WINDING);
    Polygon(dc, corners.data(), static_cast<int>(corners.size()));
    if (previous) SetPolyFillMode(dc, previous);
  } else {
    // The inside is worked out over the canvas rows only. The outline is the platform's own
    // polyline of the same corners, which it cuts to the canvas exactly, unless the pen is
    // wide; then it is drawn as spans too, and the inside is painted only up to it.
    bool wide_outline = line != kColourNone && !LinesWithinReach(*record, points, true);
    ShapeSpans spans;
    if (fill != kColourNone) spans.fill = PolygonSpans(points, alternate != 0, width, height);
    if (wide_outline) spans.outline = StrokeSpans(points, true, PenExtent(*record), width, height);
    DrawShapeSpans(dc, spans, static_cast<HBRUSH>(brush.get()), wide_outline ? line : kColourNone);
    if (line != kColourNone && !wide_outline) {
      GdiObject pen(MakeLinePen(*record, line));
      Selection pen_selected(dc, pen.get());
      corners.push_back(corners.front());
      Polyline(dc, corners.data(), static_cast<int>(corners.size()));
    }
  }
  SurfaceMarkDirty(*record, 0, 0, width, height);
}

}  // namespace qv
