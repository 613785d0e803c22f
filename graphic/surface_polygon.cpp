#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "polygon_clip.h"
#include "surface_make_brush.h"

namespace qv {

void SurfacePolygon(int32_t colour, int32_t fill_colour, int32_t fill_style, int32_t alternate) {
  WindowRecord* record = SurfaceAcquire();
  auto points = PopMappedPoints(record);
  if (!record) return;
  if (!points || !record->memory_dc) {
    SurfaceRelease();
    return;
  }
  HDC dc = record->memory_dc;
  const std::vector<PixelPoint> outline = *points;  // a wide pen strokes the whole polygon
  ClipBox box = CanvasClipBox(record->canvas_width, record->canvas_height);
  if (!PolygonInside(*points, box)) *points = ClipPolygon(*points, box);
  int32_t line = LineColour(*record, colour);
  bool wide = !PenWithinReach(*record);  // the platform's wide pen costs time by its width
  if (!points->empty()) {
    std::vector<POINT> corners = PlatformPoints(*points);
    GdiObject pen(wide ? GetStockObject(NULL_PEN) : MakeLinePen(*record, line));
    GdiObject brush(SurfaceMakeBrush(FillColour(fill_colour, line), fill_style));
    {
      Selection pen_selected(dc, pen.get());
      Selection brush_selected(dc, brush.get());
      int previous = SetPolyFillMode(dc, alternate ? ALTERNATE : WINDING);
      Polygon(dc, corners.data(), static_cast<int>(corners.size()));
      if (previous) SetPolyFillMode(dc, previous);
    }
  }
  if (wide && line != kColourNone) {
    GdiObject pen_brush(CreateSolidBrush(static_cast<COLORREF>(line)));
    FillSpans(dc, StrokeSpans(outline, true, PenExtent(*record), record->canvas_width, record->canvas_height),
              static_cast<HBRUSH>(pen_brush.get()));
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
