#include "surface.h"
#include "surface_map_point.h"

namespace qv {

void DrawingOptionSet(uint32_t bit, uint32_t excluded, int32_t on) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (on) record->close_block = (record->close_block & ~excluded) | bit;
  else record->close_block &= ~bit;
  SurfaceRelease();
}

int32_t DrawingOptionGet(uint32_t bit) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return 0;
  bool on = (record->close_block & bit) != 0;
  SurfaceRelease();
  return on ? -1 : 0;
}

}  // namespace qv
