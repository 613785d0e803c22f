// Rounding of user values to pixels by the run-time's FloatToInteger rule: to nearest with
// ties to even, and a value outside the 32-bit range (or NaN) becomes -2147483648.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace qv {

// The same result as FloatToInteger for every value, in a nanosecond or two instead of tens:
// the range is checked first and the rounding is the unit's own store in the current rounding
// mode, which the run-time keeps at nearest-even. Drawing maps two of these per point.
inline int32_t PixelRound(long double value) {
  // Everything that can round into the 32-bit range lies strictly between these; NaN fails.
  if (!(value > -2147483649.0L && value < 2147483648.0L)) return std::numeric_limits<int32_t>::min();
  long long r;
#if defined(__x86_64__) && defined(__GNUC__)
  __asm__("fistpll %0" : "=m"(r) : "t"(value) : "st");
#else
  r = std::llrint(value);
#endif
  // A value just inside the bounds can still round to one beyond them.
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

}  // namespace qv
