#include <algorithm>

#include "drawing_tools.h"
#include "mix_modes.h"
#include "surface.h"
#include "surface_copy.h"

namespace qv {

void SurfaceCopy(HANDLE window, int32_t id, int32_t mix) {
  auto [record, source] = AcquireCopyEnds(window, id);
  if (!record) return;
  BitBlt(record->memory_dc, 0, 0, std::min(source->canvas_width, record->canvas_width),
         std::min(source->canvas_height, record->canvas_height), source->memory_dc, 0, 0, MixRasterOperation(mix));
  SurfaceMarkDirty(*record, 0, 0, record->canvas_width, record->canvas_height);
}

}  // namespace qv
