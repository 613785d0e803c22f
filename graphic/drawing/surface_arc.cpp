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
    int32_t line = LineColour(*record, colour);
    GdiObject pen(MakeLinePen(*record, line));
    Selection pen_selected(dc, pen.get());
    if (options & kArcPie) {
      GdiObject brush(SurfaceMakeBrush(FillColour(fill_colour, line), fill_style));
      Selection brush_selected(dc, brush.get());
      Pie(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y);
    } else {
      Arc(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y);
    }
  }
  SurfaceMarkDirty(*record, MarkCoordinate(a.x), MarkCoordinate(a.y), MarkCoordinate(b.x), MarkCoordinate(b.y),
                   MarkMode::kPen);
}

}  // namespace qv
