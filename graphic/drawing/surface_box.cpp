#include "box_geometry.h"
#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_make_brush.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceBox(float x1, float y1, float x2, float y2, int32_t corner, int32_t colour, int32_t fill_colour,
                int32_t fill_style) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  PixelPoint a = SurfaceMapPoint(*record, x1, y1, false);
  PixelPoint b = SurfaceMapPoint(*record, x2, y2, false);
  if (HDC dc = record->memory_dc) {
    BoxShape box = BoxGeometry(a, b, static_cast<uint32_t>(corner), InclusiveEnds(*record));
    int32_t line = LineColour(*record, colour), fill = FillColour(fill_colour, line);
    GdiObject brush(SurfaceMakeBrush(fill, fill_style));
    // Rounded corners and wide pens cost the platform time by their size; a plain box with a
    // pen of one pixel is cut to the canvas.
    bool plain = box.corner_width == 0 && box.corner_height == 0 && PenExtent(*record) <= 1;
    if (plain || (PenWithinReach(*record) &&
                  WithinReach({box.left, box.top}, {box.right, box.bottom}, PenExtent(*record) / 2 + 1,
                              record->canvas_width, record->canvas_height))) {
      GdiObject pen(MakeLinePen(*record, line));
      Selection pen_selected(dc, pen.get());
      Selection brush_selected(dc, brush.get());
      RoundRect(dc, box.left, box.top, box.right, box.bottom, box.corner_width, box.corner_height);
    } else {
      ShapeStyle style{PenExtent(*record), line != kColourNone, fill != kColourNone, record->pen_style};
      DrawShapeSpans(dc, RoundBoxSpans(box, style, record->canvas_width, record->canvas_height),
                     static_cast<HBRUSH>(brush.get()), line);
    }
  }
  SurfaceMarkDirty(*record, MarkCoordinate(a.x), MarkCoordinate(a.y), MarkCoordinate(b.x), MarkCoordinate(b.y),
                   MarkMode::kPen);
}

}  // namespace qv
