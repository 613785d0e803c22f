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
  if (PenWithinReach(*record) && PointsWithinReach(points, width, height)) {
    GdiObject pen(MakeLinePen(*record, line));
    Selection pen_selected(dc, pen.get());
    Selection brush_selected(dc, brush.get());
    int previous = SetPolyFillMode(dc, alternate ? ALTERNATE : WINDING);
    Polygon(dc, corners.data(), static_cast<int>(corners.size()));
    if (previous) SetPolyFillMode(dc, previous);
  } else {
    // The platform's fill costs time by the polygon's height and its edges: a far polygon's
    // inside is worked out over the canvas rows only. Its outline is the platform's own
    // polyline of the same corners, which it cuts to the canvas exactly, unless the pen is
    // wide (the platform fills a wide line row by row over its whole length).
    if (fill != kColourNone)
      FillSpans(dc, PolygonSpans(points, alternate != 0, width, height), static_cast<HBRUSH>(brush.get()));
    if (line != kColourNone && !LinesWithinReach(*record, points)) {
      GdiObject pen_brush(CreateSolidBrush(static_cast<COLORREF>(line)));
      FillSpans(dc, StrokeSpans(points, true, PenExtent(*record), width, height),
                static_cast<HBRUSH>(pen_brush.get()));
    } else if (line != kColourNone) {
      GdiObject pen(MakeLinePen(*record, line));
      Selection pen_selected(dc, pen.get());
      corners.push_back(corners.front());
      Polyline(dc, corners.data(), static_cast<int>(corners.size()));
    }
  }
  SurfaceMarkDirty(*record, 0, 0, width, height);
}

}  // namespace qv
