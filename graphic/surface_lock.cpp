#include "surface_lock.h"

namespace qv {

SurfaceLockWord& SurfaceLock() {
  static SurfaceLockWord lock;
  return lock;
}

}  // namespace qv
