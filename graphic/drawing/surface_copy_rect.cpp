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
  int32_t width = ExtentOf(from.x, to.x), height = ExtentOf(from.y, to.y);
  // Cut to the target; a side given backwards is copied mirrored, which the platform's block
  // copy does not do but its stretch of a negative source extent does.
  int32_t w = std::min(width < 0 ? -width : width, SpanOf(at.x, record->canvas_width));
  int32_t h = std::min(height < 0 ? -height : height, SpanOf(at.y, record->canvas_height));
  if (w > 0 && h > 0) {
    DWORD operation = MixRasterOperation(mix);
    if (width > 0 && height > 0)
      BitBlt(record->memory_dc, at.x, at.y, w, h, source->memory_dc, from.x, from.y, operation);
    else
      StretchBlt(record->memory_dc, at.x, at.y, w, h, source->memory_dc, from.x, from.y, width < 0 ? -w : w,
                 height < 0 ? -h : h, operation);
  }
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
