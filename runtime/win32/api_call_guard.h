// ApiCallGuard: platform calls made through the run-time are serialised by one process-wide
// spin lock, keep the floating-point state intact, and are judged by the last-error value
// alone (cleared before, read after the call), not by what the function returns.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "error.h"

namespace qv {

struct GuardOutcome {
  bool failed = false;
  uint32_t platform_code = 0;  // GetLastError after the call
  uint8_t error = 0;           // MapPlatformError of it
  // Platform code in the high 16 bits, run-time error number in the low 16 bits.
  uint32_t combined() const { return (platform_code << 16) | error; }
};

template <typename R>
struct Guarded : GuardOutcome {
  R value{};
};

template <>
struct Guarded<void> : GuardOutcome {};

namespace guard_detail {
void Enter(bool capture_errors);
uint32_t Leave(bool capture_errors);
}  // namespace guard_detail

template <typename F, typename... Args>
auto ApiCallGuard(F&& fn, Args&&... args) {
  using R = std::invoke_result_t<F, Args...>;
  Guarded<R> out;
  guard_detail::Enter(true);
  if constexpr (std::is_void_v<R>)
    std::forward<F>(fn)(std::forward<Args>(args)...);
  else
    out.value = std::forward<F>(fn)(std::forward<Args>(args)...);
  out.platform_code = guard_detail::Leave(true);
  out.failed = out.platform_code != 0;
  out.error = out.failed ? MapPlatformError(out.platform_code) : 0;
  return out;
}

// Only the lock and the floating-point save and restore, without error capture.
template <typename F, typename... Args>
auto ApiCallLocked(F&& fn, Args&&... args) {
  struct Leave {
    ~Leave() { guard_detail::Leave(false); }
  };
  guard_detail::Enter(false);
  Leave leave;
  return std::forward<F>(fn)(std::forward<Args>(args)...);
}

// Raises the run-time error of a failed guarded call; returns whether it failed.
inline bool RaiseIfFailed(const GuardOutcome& outcome) {
  if (outcome.failed) RaiseError(outcome.error);
  return outcome.failed;
}

}  // namespace qv
