#include "surface.h"
#include "surface_keys.h"

namespace qv {

void SurfaceKeyFlush() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  record->key = 0;
  SurfaceRelease();
}

}  // namespace qv
