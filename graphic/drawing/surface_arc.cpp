#include "box_geometry.h"
#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_make_brush.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceArc(float x1, float y1, float x2, float y2, float start_angle, float end_angle, int32_t colour,
                int32_t fill_colour, int32_t fill_style, int32_t options) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  PixelPoint a = SurfaceMapPoint(*record, x1, y1, false);
  PixelPoint b = SurfaceMapPoint(*record, x2, y2, false);
  if (HDC dc = record->memory_dc) {
    ArcRadials radials = ArcRadialPoints(a, b, start_angle, end_angle);
    int32_t line = LineColour(*record, colour), fill = FillColour(fill_colour, line);
    bool pie = (options & kArcPie) != 0;
    GdiObject brush(pie ? SurfaceMakeBrush(fill, fill_style) : nullptr);
    // The platform's arcs cost time by their size: far ones are drawn over the canvas only.
    if (PenWithinReach(*record) &&
        WithinReach(a, b, PenExtent(*record) / 2 + 1, record->canvas_width, record->canvas_height)) {
      GdiObject pen(MakeLinePen(*record, line));
      Selection pen_selected(dc, pen.get());
      Selection brush_selected(dc, brush.get());
      if (pie)
        Pie(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y);
      else
        Arc(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y);
    } else {
      ShapeStyle style{PenExtent(*record), line != kColourNone, pie && fill != kColourNone, record->pen_style};
      DrawShapeSpans(dc, ArcSpans(a, b, radials, pie, style, record->canvas_width, record->canvas_height),
                     static_cast<HBRUSH>(brush.get()), line);
    }
  }
  SurfaceMarkDirty(*record, MarkCoordinate(a.x), MarkCoordinate(a.y), MarkCoordinate(b.x), MarkCoordinate(b.y),
                   MarkMode::kPen);
}

}  // namespace qv
