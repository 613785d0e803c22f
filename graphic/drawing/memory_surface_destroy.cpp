#include "draw_target.h"
#include "memory_surface.h"
#include "surface.h"

namespace qv {

void MemorySurfaceDestroy() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->kind != kKindMemorySurface) {
    SurfaceRelease();
    return;
  }
  // The record goes under the lock, so no other thread draws on it meanwhile.
  RecordDestroy(record->handle);
  DrawTargetSet(nullptr);
  SurfaceRelease();
}

}  // namespace qv
