// SurfaceLock: one process-wide lock over all surface operations. A drawing thread waits by
// sleeping 0 ms between tries; code that runs in a window procedure waits with
// lock_serving(), which also runs the messages other threads send to the calling thread, so a
// thread that sent it something while it waits is never stuck behind it. The lock is not
// re-entrant, but it knows its holder: held_by_caller() lets code that may run nested inside a
// surface operation of its own thread (a teardown, a focus change) go on without taking it
// again. See window_record.h for what it guards.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace qv {

class SurfaceLockWord {
 public:
  // A drawing thread's wait. It does not compete while a window thread waits in lock_serving():
  // a thread that draws in a tight loop would otherwise take the lock again the instant it
  // let go of it, and a window thread that also runs messages between tries would never get it.
  void lock();
  void lock_serving();
  bool try_lock();
  void unlock();
  bool held_by_caller() const { return holder_.load(std::memory_order_relaxed) == GetCurrentThreadId(); }
  // Threads waiting in lock_serving() now.
  int32_t window_waiters() const { return window_waiters_.load(); }

 private:
  bool Take();
  std::atomic<int32_t> word_{0};
  std::atomic<DWORD> holder_{0};  // written only by the holder, so a thread sees its own id only while it holds
  std::atomic<int32_t> window_waiters_{0};
};

SurfaceLockWord& SurfaceLock();

// Holds SurfaceLock for a scope, waiting with lock_serving(), unless the calling thread holds it
// already (then the scope neither takes nor releases it).
class SurfaceLockScope {
 public:
  SurfaceLockScope() : taken_(!SurfaceLock().held_by_caller()) {
    if (taken_) SurfaceLock().lock_serving();
  }
  ~SurfaceLockScope() {
    if (taken_) SurfaceLock().unlock();
  }
  SurfaceLockScope(const SurfaceLockScope&) = delete;
  SurfaceLockScope& operator=(const SurfaceLockScope&) = delete;

 private:
  bool taken_;
};

}  // namespace qv
