#pragma once

#include <atomic>
#include <cstdint>

namespace qv {

// The run-time's process-wide locks: exchange -1 into the word until the old value was 0,
// release by storing 0. Not re-entrant. BasicSpinLock<Backoff> calls Backoff between tries.
template <typename Backoff>
class BasicSpinLock {
 public:
  void lock() {
    while (word_.exchange(-1, std::memory_order_acquire) != 0) Backoff{}();
  }
  bool try_lock() { return word_.exchange(-1, std::memory_order_acquire) == 0; }
  void unlock() { word_.store(0, std::memory_order_release); }
  bool held() const { return word_.load(std::memory_order_relaxed) != 0; }

 private:
  std::atomic<int32_t> word_{0};
};

struct BusyWait {
  void operator()() const {}
};

using SpinLock = BasicSpinLock<BusyWait>;

}  // namespace qv
