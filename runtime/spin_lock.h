#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace qv {

// The run-time's process-wide locks: exchange -1 into the word until the old value was 0,
// release by storing 0. Not re-entrant. BasicSpinLock<Backoff> calls Backoff with the number
// of tries so far between tries.
template <typename Backoff>
class BasicSpinLock {
 public:
  void lock() {
    for (uint32_t tries = 0; word_.exchange(-1, std::memory_order_acquire) != 0; ++tries) Backoff{}(tries);
  }
  bool try_lock() { return word_.exchange(-1, std::memory_order_acquire) == 0; }
  void unlock() { word_.store(0, std::memory_order_release); }
  bool held() const { return word_.load(std::memory_order_relaxed) != 0; }

 private:
  std::atomic<int32_t> word_{0};
};

struct BusyWait {
  void operator()(uint32_t) const {}
};

// For a lock held across calls that may block (a platform call's round trip to another
// process): the waiters give the processor up, soon for whole milliseconds, so the holder and
// whatever it waits for get to run instead of threads that spin.
struct YieldingWait {
  void operator()(uint32_t tries) const {
    if (tries < 64)
      std::this_thread::yield();
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

using SpinLock = BasicSpinLock<BusyWait>;
using YieldingSpinLock = BasicSpinLock<YieldingWait>;

}  // namespace qv
