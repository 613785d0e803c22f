#include "surface.h"
#include "surface_drawing.h"

namespace qv {

HDC SurfaceGetDC() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return nullptr;
  HDC dc = record->memory_dc;
  SurfaceRelease();
  return dc;
}

}  // namespace qv
