#include "window_target.h"

#include "surface.h"

namespace qv {

HWND FrameOfTarget(const WindowRecord& record) {
  if (record.kind != kKindGraphic || !record.parent) return nullptr;
  const WindowRecord* frame = RecordFind(record.parent);
  return frame && (frame->flags & kFlagGraphicFrame) && frame->kind == 0 ? record.parent : nullptr;
}

HWND TargetFrame() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return nullptr;
  HWND frame = FrameOfTarget(*record);
  SurfaceRelease();
  return frame;
}

}  // namespace qv
