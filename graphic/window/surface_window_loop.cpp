#include "surface_window_loop.h"

#include "surface.h"
#include "surface_lock.h"
#include "surface_refresh.h"

namespace qv {

namespace {

constexpr DWORD kRetryMs = 1;
// Marks wake the loop; this only bounds how long a canvas changed some other way stays stale.
constexpr DWORD kIdleMs = 1000;

// One try at the lock; false when it was busy and the loop should look again soon.
bool IdleRefresh(HWND canvas) {
  // Only this thread destroys the canvas record, so it stays valid during this turn.
  WindowRecord* record = RecordFind(canvas);
  if (!record) return true;
  record->idle_signals.fetch_and(~kIdleWakePosted, std::memory_order_relaxed);
  if (!SurfaceLock().try_lock()) {
    record->idle_signals.fetch_or(kIdleForceRequested, std::memory_order_relaxed);
    return false;
  }
  record->idle_signals.fetch_and(~kIdleForceRequested, std::memory_order_relaxed);
  HWND update = nullptr;
  if ((record->flags & kDirtyPending) && !(record->flags & kDeferRedraw)) update = SurfaceRefreshLocked(*record);
  SurfaceLock().unlock();
  UpdateAfterRelease(update);
  return true;
}

}  // namespace

void SurfaceWindowLoop(HWND frame) {
  HWND canvas = GetDlgItem(frame, 0);
  DWORD wait = kIdleMs;
  MSG message;
  for (;;) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } else {
      MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    wait = IdleRefresh(canvas) ? kIdleMs : kRetryMs;
  }
}

}  // namespace qv
