#include "lock_watch.h"

#include <algorithm>

#include "surface_lock.h"

namespace qv::script {

namespace {

constexpr DWORD kPollMs = 2, kStopMs = 5000;

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Raise(std::atomic<double>& value, double to) {
  double now = value.load();
  while (to > now && !value.compare_exchange_weak(now, to)) {
  }
}

}  // namespace

LockWatch::LockWatch() { thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr); }

LockWatch::~LockWatch() {
  stop_ = true;
  if (thread_) {
    WaitForSingleObject(thread_, kStopMs);
    CloseHandle(thread_);
  }
}

DWORD WINAPI LockWatch::Run(void* self) {
  auto* watch = static_cast<LockWatch*>(self);
  while (!watch->stop_) {
    if (SurfaceLock().try_lock()) {
      SurfaceLock().unlock();
      if (double since = watch->held_since_.exchange(-1); since >= 0) Raise(watch->longest_, NowMs() - since);
    } else {
      double free = -1;
      watch->held_since_.compare_exchange_strong(free, NowMs());
    }
    Sleep(kPollMs);
  }
  return 0;
}

double LockWatch::TakeLongestMs() {
  double now = NowMs(), since = held_since_.load();
  double longest = longest_.exchange(0);
  if (since < 0) return longest;
  // A hold still going: counted up to now here, and from now on for the next caller.
  held_since_.compare_exchange_strong(since, now);
  return std::max(longest, now - since);
}

}  // namespace qv::script
