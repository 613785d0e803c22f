#include "floating_point_state.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_refresh.h"

namespace qv {

namespace {

void ResetDirty(WindowRecord& record) {
  record.dirty_left = record.dirty_top = 0xFFFFFFFF;
  record.dirty_right = record.dirty_bottom = 0;
}

}  // namespace

void UpdateAfterRelease(HWND window) {
  if (!window) return;
  if (SurfaceLock().held_by_caller()) {  // an outer hold of this thread: after its release
    SurfaceLock().after_release([window] { UpdateAfterRelease(window); });
    return;
  }
  FloatingPointState keep;
  UpdateWindow(window);
}

HWND SurfaceRefreshLocked(WindowRecord& record) {
  HWND later = nullptr;
  // A memory surface has no window to show it.
  if (record.kind == kKindGraphic) {
    FloatingPointState keep;
    HWND window = record.window();
    if (record.flags & kStretchView) {
      InvalidateRect(window, nullptr, FALSE);
    } else if (record.dirty_left < record.dirty_right && record.dirty_top < record.dirty_bottom) {
      // Canvas pixels to client pixels: the window shows the canvas from the view origin.
      RECT dirty{static_cast<LONG>(record.dirty_left) - record.view_x, static_cast<LONG>(record.dirty_top) - record.view_y,
                 static_cast<LONG>(record.dirty_right) - record.view_x,
                 static_cast<LONG>(record.dirty_bottom) - record.view_y};
      InvalidateRect(window, &dirty, FALSE);
    }
    later = window;
  }
  ResetDirty(record);
  record.flags &= ~kDirtyPending;
  return later;
}

void SurfaceRefresh(WindowRecord& record) { SurfaceRefreshLocked(record); }

void SurfaceRedraw() {
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  ResetDirty(*record);
  record->flags &= ~kDirtyPending;
  HWND later = nullptr;
  if (record->kind == kKindGraphic) {
    FloatingPointState keep;
    later = record->window();
    InvalidateRect(later, nullptr, FALSE);
  }
  SurfaceRelease();
  UpdateAfterRelease(later);
}

}  // namespace qv
