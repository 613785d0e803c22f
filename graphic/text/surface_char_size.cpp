#include "surface.h"
#include "surface_map_point.h"
#include "surface_text.h"

namespace qv {

UserSize SurfaceCharSize() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return {};
  UserSpace space = UserSpaceOf(*record);
  int32_t width = record->char_width, height = record->line_height;
  SurfaceRelease();
  return {ToFloat32(PixelsToUserLength(space, width, Axis::kX)), ToFloat32(PixelsToUserLength(space, height, Axis::kY))};
}

}  // namespace qv
