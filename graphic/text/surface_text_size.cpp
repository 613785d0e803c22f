#include "string_ops.h"
#include "surface.h"
#include "surface_map_point.h"
#include "surface_text.h"
#include "text_layout.h"

namespace qv {

UserSize SurfaceTextSize() {
  DynString text = PopText();
  WindowRecord* record = SurfaceAcquire();
  if (!record) return {};
  SIZE size = TextExtent(*record, text.wide_view());
  UserSpace space = UserSpaceOf(*record);
  SurfaceRelease();
  return {ToFloat32(PixelsToUserLength(space, size.cx, Axis::kX)),
          ToFloat32(PixelsToUserLength(space, size.cy, Axis::kY))};
}

}  // namespace qv
