#include "surface_lock.h"

namespace qv {

SurfaceLockWord& SurfaceLock() {
  static SurfaceLockWord lock;
  return lock;
}

bool SurfaceLockWord::Take() {
  if (word_.exchange(-1, std::memory_order_acquire) != 0) return false;
  holder_.store(GetCurrentThreadId(), std::memory_order_relaxed);
  return true;
}

void SurfaceLockWord::lock() {
  for (;;) {
    if (window_waiters_.load() == 0 && Take()) return;
    Sleep(0);
  }
}

void SurfaceLockWord::lock_serving() {
  if (Take()) return;
  window_waiters_.fetch_add(1);
  MSG message;
  while (!Take()) {
    // Only sent messages run here: posted ones and input stay queued for the thread's loop.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(0);
  }
  window_waiters_.fetch_sub(1);
}

bool SurfaceLockWord::try_lock() { return Take(); }

void SurfaceLockWord::unlock() {
  holder_.store(0, std::memory_order_relaxed);
  word_.store(0, std::memory_order_release);
}

}  // namespace qv
