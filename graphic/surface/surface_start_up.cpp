#include "surface_start_up.h"

#include "font_table.h"
#include "surface_seam.h"
#include "surface.h"
#include "surface_control_settings.h"
#include "surface_lock.h"

namespace qv {

namespace {

bool LockUnlessHeld() {
  if (SurfaceLock().held_by_caller()) return false;
  SurfaceLock().lock_serving();
  return true;
}

void Unlock() { SurfaceLock().unlock(); }

}  // namespace

void SurfaceStartUp() {
  FontTableCreateDefaults();
  SurfaceSeamConnect(
      SurfaceSeam{SurfaceSetUp, SurfacePaint, SurfaceFontSelect, SurfaceResizeTo, LockUnlessHeld, Unlock});
}

}  // namespace qv
