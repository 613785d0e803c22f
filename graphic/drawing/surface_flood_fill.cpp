#include "drawing_tools.h"
#include "surface.h"
#include "surface_drawing.h"
#include "surface_make_brush.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceFloodFill(float x, float y, int32_t options, int32_t fill_colour, int32_t fill_style,
                      int32_t edge_colour) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  int32_t fill = fill_colour == kColourSystem ? record->fore_colour : fill_colour;
  if (fill == kColourNone || !record->memory_dc) {
    SurfaceRelease();
    return;
  }
  PixelPoint p = SurfaceMapPoint(*record, x, y, (options & kRelativePoint) != 0);
  int32_t edge = edge_colour == kColourSystem ? fill : edge_colour;
  {
    HDC dc = record->memory_dc;
    GdiObject brush(SurfaceMakeBrush(fill, fill_style));
    Selection brush_selected(dc, brush.get());
    ExtFloodFill(dc, p.x, p.y, static_cast<COLORREF>(edge),
                 (options & kFloodSurface) ? FLOODFILLSURFACE : FLOODFILLBORDER);
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
