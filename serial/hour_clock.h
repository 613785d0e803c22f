// Waits are timed on the hour clock: the local wall clock's position within the current hour
// in milliseconds (0..3,599,999). It survives changes of the hour and of the date, so a wait
// is unaffected by daylight-saving shifts.
#pragma once

#include <cstdint>

namespace qv {

constexpr uint32_t kHourMs = 3'600'000;
constexpr uint32_t kNeverDeadline = 0xFFFFFFFF;

uint32_t HourClockNow();

// The deadline `limit` ms from now; limit 0 gives kNeverDeadline. Limits are cut to 59:50.
uint32_t HourClockDeadline(uint32_t limit);

// Milliseconds left until the deadline; 0 once it has been reached.
uint32_t HourClockRemaining(uint32_t deadline);

}  // namespace qv
