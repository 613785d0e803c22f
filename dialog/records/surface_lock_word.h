// SurfaceLock: one process-wide lock over all surface operations and over the life of the
// window records (window_record.h says which fields it guards). It lives with the records, so
// that a record is freed under it whether or not a program connected the graphic entries.
//
// Two ways to wait:
// - lock(), a drawing thread's wait: it sleeps 0 ms between tries and runs nothing meanwhile.
//   It lets window threads that are trying for the lock go first: a thread that draws in a
//   tight loop would otherwise take the lock again the instant it let go of it, and a window
//   thread that also runs messages between tries would never get it.
// - lock_serving(), the wait of code that runs on a window's thread: between tries it runs the
//   messages other threads send to the caller, so a thread that sent it something while it
//   waits is never stuck behind it.
// The rule that makes both safe to enter again: a thread counts among the window waiters only
// while it is trying for the lock itself, never while it runs a sent message. Whatever such a
// message does (draw, wait for the lock either way, send to another thread that waits) never
// waits for the thread that serves it, nor for any other thread that is busy serving one.
// The queue check between tries is the one call made while counted, and it may run the thread's
// window procedures all the same (under Wine it first handles the display's pending events:
// activation, focus, commands to a dialog's callback). So lock() discounts its own thread: it
// waits only for window waiters on other threads.
//
// The lock knows its holder: held_by_caller() lets code that may run nested inside a surface
// operation of its own thread (a teardown, a focus change) go on without taking it again. A
// holder that takes it again all the same (program code run by a message its own window call
// sent, drawing) gets it at once, counted: each take is matched by one unlock(), and only the
// outermost lets it go. Work that must not run under the lock (a send to another thread's
// window or an update of it, whose handler takes the lock; work that a handler of this thread
// would otherwise drop because it finds the lock held) goes through after_release(): it runs at
// once when the caller holds no lock, else right after its outermost unlock() let the lock go.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

class SurfaceLockWord {
 public:
  void lock();
  void lock_serving();
  bool try_lock();
  void unlock();
  void after_release(std::function<void()> work);
  bool held_by_caller() const { return holder_.load(std::memory_order_relaxed) == GetCurrentThreadId(); }
  // Threads trying for the lock in lock_serving() now (not those running a message there).
  int32_t window_waiters() const { return window_waiters_.load(); }

 private:
  bool Take();
  std::atomic<int32_t> word_{0};
  std::atomic<DWORD> holder_{0};  // written only by the holder, so a thread sees its own id only while it holds
  std::atomic<int32_t> window_waiters_{0};
  int32_t depth_ = 0;  // takes by the holder beyond the first; only the holder touches it
  std::vector<std::function<void()>> deferred_;  // after_release() work; only the holder touches it
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
