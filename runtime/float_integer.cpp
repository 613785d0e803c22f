#include "float_integer.h"

#include <cmath>
#include <limits>

namespace qv {

namespace {

template <typename Int>
Int RoundToInteger(long double value) {
  const long double r = std::nearbyint(value);  // the current mode: nearest, ties to even
  constexpr long double lowest = static_cast<long double>(std::numeric_limits<Int>::min());
  // -lowest is 2^(bits-1), exact in extended; every r below it fits.
  if (!(r >= lowest && r < -lowest)) return std::numeric_limits<Int>::min();
  return static_cast<Int>(r);
}

}  // namespace

int32_t FloatToInteger(long double value) { return RoundToInteger<int32_t>(value); }
int64_t FloatToQuad(long double value) { return RoundToInteger<int64_t>(value); }

}  // namespace qv
