// How long SurfaceLock is held, watched from a thread of its own: it tries the lock every few
// milliseconds (letting go at once when it gets it) and measures each unbroken run of failed
// tries, which is how long some thread held the lock without a break. The runner reads the
// longest run since it last asked, line by line, to report operations that hold the lock too
// long, whatever waits they do outside it.
#pragma once

#include <windows.h>

#include <atomic>

namespace qv::script {

class LockWatch {
 public:
  LockWatch();
  ~LockWatch();  // stops the thread (it ends within one poll)
  LockWatch(const LockWatch&) = delete;
  LockWatch& operator=(const LockWatch&) = delete;

  // The longest hold seen since the last call, in ms; a hold still going counts up to now, and
  // only its rest counts for the next call.
  double TakeLongestMs();

 private:
  static DWORD WINAPI Run(void* self);
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
  std::atomic<double> held_since_{-1};  // when the current unbroken hold began; -1: free
  std::atomic<double> longest_{0};
};

}  // namespace qv::script
