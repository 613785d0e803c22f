#include "surface.h"
#include "surface_lock.h"
#include "surface_messages.h"

namespace qv {

LRESULT SurfaceWindowSend(WindowRecord& record, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND window = record.window();
  SurfaceRelease();
  // Inside an outer hold of this thread the lock is still held, and the handler takes it: the
  // send waits for the outermost release.
  if (SurfaceLock().held_by_caller()) {
    SurfaceLock().after_release([=] { SendMessageW(window, message, wparam, lparam); });
    return 0;
  }
  return SendMessageW(window, message, wparam, lparam);
}

}  // namespace qv
