#include "surface.h"
#include "surface_keys.h"

namespace qv {

int32_t SurfaceKeyPeek() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return 0;
  bool waiting = record->key != 0;
  SurfaceRelease();
  return waiting ? -1 : 0;
}

}  // namespace qv
