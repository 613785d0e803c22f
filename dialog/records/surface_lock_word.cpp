#include "surface_lock_word.h"

namespace qv {

namespace {

// Whether another thread's sent message waits for the calling thread.
bool SentMessageWaiting() { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }

// How often the calling thread counts among the window waiters now, in a thread-local slot (no
// C++ thread_local: runtime/platform/platform.h says why). A queue check may run the thread's
// window procedures (under Wine the display driver handles pending X events there), and what
// they run must not wait for the thread's own count to go.
DWORD CountSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

int32_t CountedHere() {
  DWORD error = GetLastError();  // TlsGetValue clears it; callers may be reading it
  auto count = static_cast<int32_t>(reinterpret_cast<intptr_t>(TlsGetValue(CountSlot())));
  SetLastError(error);
  return count;
}

void CountHere(int32_t change) {
  TlsSetValue(CountSlot(), reinterpret_cast<void*>(static_cast<intptr_t>(CountedHere() + change)));
}

}  // namespace

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
  if (held_by_caller()) {
    ++depth_;
    return;
  }
  for (;;) {
    int32_t waiters = window_waiters_.load();
    if ((waiters == 0 || waiters == CountedHere()) && Take()) return;
    Sleep(0);
  }
}

void SurfaceLockWord::lock_serving() {
  if (held_by_caller()) {
    ++depth_;
    return;
  }
  if (Take()) return;
  MSG message;
  for (;;) {
    window_waiters_.fetch_add(1);
    CountHere(1);
    bool taken = false;
    while (!(taken = Take()) && !SentMessageWaiting()) Sleep(0);
    CountHere(-1);
    window_waiters_.fetch_sub(1);
    if (taken) return;
    // Not counted while the messages run: they may wait for the lock themselves. Only sent
    // messages run here; posted ones and input stay queued for the thread's loop.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool SurfaceLockWord::try_lock() {
  if (held_by_caller()) {
    ++depth_;
    return true;
  }
  return Take();
}

void SurfaceLockWord::unlock() {
  if (depth_ > 0) {
    --depth_;
    return;
  }
  std::vector<std::function<void()>> work = std::move(deferred_);
  deferred_.clear();
  holder_.store(0, std::memory_order_relaxed);
  word_.store(0, std::memory_order_release);
  for (std::function<void()>& step : work) step();
}

void SurfaceLockWord::after_release(std::function<void()> work) {
  if (!held_by_caller()) return work();
  deferred_.push_back(std::move(work));
}

}  // namespace qv
