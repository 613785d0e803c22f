#include "surface.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceStretchView(int32_t on) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (!FrameOfTarget(*record)) return SurfaceRelease();  // the canvas child's own message
  SurfaceWindowSend(*record, kCanvasStretchView, on != 0, 0);
}

}  // namespace qv
