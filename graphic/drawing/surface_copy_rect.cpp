#include <algorithm>

#include "drawing_tools.h"
#include "mix_modes.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceCopyRect(HANDLE window, int32_t id, float x1, float y1, float x2, float y2, float x, float y,
                     int32_t mix) {
  auto [record, source] = AcquireCopyEnds(window, id);
  if (!record) return;
  PixelPoint from = SurfaceMapPoint(*source, x1, y1, false);
  PixelPoint to = SurfaceMapPoint(*source, x2, y2, false);
  PixelPoint at = SurfaceMapPoint(*record, x, y, false);
  // A block copy: corners in any order name the same rectangle of |x2 - x1| + 1 columns and
  // |y2 - y1| + 1 rows, copied as it is (never mirrored) and cut to the target.
  Side across = SideOf(from.x, to.x), down = SideOf(from.y, to.y);
  int32_t w = std::min(across.pixels(), SpanOf(at.x, record->canvas_width));
  int32_t h = std::min(down.pixels(), SpanOf(at.y, record->canvas_height));
  if (w > 0 && h > 0)
    BitBlt(record->memory_dc, at.x, at.y, w, h, source->memory_dc, across.low(), down.low(), MixRasterOperation(mix));
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
