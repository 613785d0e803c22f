#include "surface.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "window_target.h"

namespace qv {

void SurfaceWindowSetClientSize(int32_t width, int32_t height) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->kind != kKindGraphic || width <= 0 || height <= 0) return SurfaceRelease();
  // A graphic window's frame takes the size on its own thread; its WM_SIZE re-creates the canvas.
  if (FrameOfTarget(*record)) {
    SurfaceWindowSend(*record, kCanvasClientSize, static_cast<WPARAM>(width), height);
    return;
  }
  record->requested_width = width;
  record->requested_height = height;
  SurfaceResize(*record);  // releases the lock
}

}  // namespace qv
