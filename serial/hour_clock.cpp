#include "hour_clock.h"

#include <algorithm>

#include "comm_api.h"

namespace qv {

namespace {
constexpr uint32_t kLongestLimit = 3'590'000;
constexpr uint32_t kJustPassed = 1'000;
}  // namespace

uint32_t HourClockNow() {
  SYSTEMTIME now{};
  Comm().GetLocalTime(&now);
  return now.wMinute * 60'000u + now.wSecond * 1'000u + now.wMilliseconds;
}

uint32_t HourClockDeadline(uint32_t limit) {
  if (limit == 0) return kNeverDeadline;
  uint32_t d = HourClockNow() + std::min(limit, kLongestLimit) + 1;
  return d >= kHourMs ? d - kHourMs : d;
}

uint32_t HourClockRemaining(uint32_t deadline) {
  uint32_t now = HourClockNow();
  if (deadline >= now) return deadline - now;
  if (now - deadline < kJustPassed) return 0;
  return kHourMs - now + deadline;  // the deadline lies in the next hour
}

}  // namespace qv
