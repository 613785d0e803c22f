#include "seconds_since_midnight.h"

#include "platform/platform.h"

namespace qv {

long double SecondsSinceMidnight() {
  const platform::TimeOfDay t = platform::LocalTimeOfDay();
  return SecondsOfDay(t.hour, t.minute, t.second, t.milliseconds);
}

}  // namespace qv
