#include "surface.h"
#include "surface_drawing.h"

namespace qv {

void SurfaceSetStretchMode(int32_t mode) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->memory_dc) SetStretchBltMode(record->memory_dc, mode);
  SurfaceRelease();
}

int32_t SurfaceGetStretchMode() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return 0;
  int32_t mode = record->memory_dc ? GetStretchBltMode(record->memory_dc) : 0;
  SurfaceRelease();
  return mode;
}

}  // namespace qv
