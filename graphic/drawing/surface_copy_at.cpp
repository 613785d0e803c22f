#include <algorithm>

#include "drawing_tools.h"
#include "mix_modes.h"
#include "surface.h"
#include "surface_copy.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceCopyAt(HANDLE window, int32_t id, float x, float y, int32_t mix) {
  auto [record, source] = AcquireCopyEnds(window, id);
  if (!record) return;
  PixelPoint p = SurfaceMapPoint(*record, x, y, false);
  // The room left right of and below the point, counted inclusively.
  int32_t width = std::min(source->canvas_width, SpanOf(p.x, record->canvas_width));
  int32_t height = std::min(source->canvas_height, SpanOf(p.y, record->canvas_height));
  if (width > 0 && height > 0)
    BitBlt(record->memory_dc, p.x, p.y, width, height, source->memory_dc, 0, 0, MixRasterOperation(mix));
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
