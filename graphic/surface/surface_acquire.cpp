#include "draw_target.h"
#include "surface.h"
#include "surface_lock.h"

namespace qv {

WindowRecord* SurfaceAcquire() {
  SurfaceLock().lock();
  WindowRecord* record = RecordFind(DrawTargetGet());
  if (record && record->is_surface()) return record;
  SurfaceLock().unlock();
  return nullptr;
}

void SurfaceRelease() { SurfaceLock().unlock(); }

}  // namespace qv
