#include "surface.h"
#include "surface_messages.h"
#include "surface_window_ops.h"

namespace qv {

void SurfaceScrollView(int32_t width, int32_t height) {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  if (record->kind != kKindGraphic || width <= 0 || height <= 0) return SurfaceRelease();
  SurfaceWindowSend(*record, kCanvasScrollArea, static_cast<WPARAM>(width), height);
}

}  // namespace qv
