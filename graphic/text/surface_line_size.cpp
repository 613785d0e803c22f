#include "surface.h"
#include "surface_map_point.h"
#include "surface_text.h"
#include "text_layout.h"

namespace qv {

UserSize SurfaceLineSize() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return {};
  UserSpace space = UserSpaceOf(*record);
  int32_t width = record->char_width, pitch = LinePitch(*record);
  SurfaceRelease();
  return {ToFloat32(PixelsToUserLength(space, width, Axis::kX)), ToFloat32(PixelsToUserLength(space, pitch, Axis::kY))};
}

}  // namespace qv
