#include "surface.h"
#include "surface_pen.h"

namespace qv {

// The pen is made from these when a line or outline is drawn.
void SurfaceSetPenStyle(int32_t style) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  record->pen_style = static_cast<uint32_t>(style) > 4 ? 0 : style;
  SurfaceRelease();
}

void SurfaceSetPenWidth(int32_t width) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  record->pen_width = width;
  SurfaceRelease();
}

}  // namespace qv
