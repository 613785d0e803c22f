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
  // A side given backwards goes to the platform as it is; a forward one is cut to the target.
  auto cut = [](int32_t extent, int32_t room) { return extent > 0 ? std::min(extent, room) : extent; };
  int32_t width = cut(ExtentOf(from.x, to.x), SpanOf(at.x, record->canvas_width));
  int32_t height = cut(ExtentOf(from.y, to.y), SpanOf(at.y, record->canvas_height));
  if (width != 0 && height != 0)
    BitBlt(record->memory_dc, at.x, at.y, width, height, source->memory_dc, from.x, from.y, MixRasterOperation(mix));
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
