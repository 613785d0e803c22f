#include "surface.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceWindowToFront() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (!FrameOfTarget(*record)) return SurfaceRelease();
  SurfaceWindowSend(*record, kCanvasBringToFront, 0, 0);
}

}  // namespace qv
