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
  while (!Take()) Sleep(0);
}

void SurfaceLockWord::lock_serving() {
  MSG message;
  while (!Take()) {
    // Only sent messages run here: posted ones and input stay queued for the thread's loop.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(0);
  }
}

bool SurfaceLockWord::try_lock() { return Take(); }

void SurfaceLockWord::unlock() {
  holder_.store(0, std::memory_order_relaxed);
  word_.store(0, std::memory_order_release);
}

}  // namespace qv
