#include "surface.h"
#include "surface_drawing.h"
#include "surface_map_point.h"

namespace qv {

void SurfaceScale(float x1, float y1, float x2, float y2) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  UserSpace space = UserSpaceOf(*record);
  if (ScaleUserSpace(space, x1, y1, x2, y2, InclusiveEnds(*record))) UserSpaceStore(*record, space);
  SurfaceRelease();
}

}  // namespace qv
