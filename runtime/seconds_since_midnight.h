// Time of day for the run-time's clock functions.
#pragma once

namespace qv {

// Seconds since local midnight, to the millisecond.
long double SecondsSinceMidnight();

// The same from the parts of a local time.
constexpr long double SecondsOfDay(int hour, int minute, int second, int milliseconds) {
  return static_cast<long double>(hour * 3600000 + minute * 60000 + second * 1000 + milliseconds) /
         1000;
}

}  // namespace qv
