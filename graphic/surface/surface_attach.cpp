#include "error.h"
#include "draw_target.h"
#include "surface.h"
#include "surface_lock.h"
#include "surface_refresh.h"
#include "surface_attach.h"

namespace qv {

void SurfaceAttach(HANDLE window, int32_t id, int32_t option) {
  HANDLE control = GetDlgItem(static_cast<HWND>(window), id);
  if (!control) control = window;
  DrawTargetSet(nullptr);

  SurfaceLock().lock();
  WindowRecord* record = RecordFind(control);
  bool surface = record && record->is_surface();
  if (surface) {
    // Only the deferred-redraw bit is an option; other bits would corrupt the flag word.
    uint32_t bits = static_cast<uint32_t>(option) & kDeferRedraw;
    if (record->kind == kKindMemorySurface) bits |= kDeferRedraw;
    record->flags = (record->flags & ~kDeferRedraw) ^ bits;
    // A graphic window's loop sleeps until told: drawing kept back until now is due.
    if ((record->flags & (kDirtyPending | kDeferRedraw)) == kDirtyPending) WakeWindowThread(*record);
  }
  SurfaceLock().unlock();

  if (!surface) {
    RaiseError(kErrorInvalidArgument);
    return;
  }
  DrawTargetSet(control);
}

void SurfaceDetach() { DrawTargetSet(nullptr); }

void SurfaceDetachFrom(HANDLE target) {
  if (DrawTargetGet() == target) DrawTargetSet(nullptr);
}

}  // namespace qv
