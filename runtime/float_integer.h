// Conversions between extended floats and integers. Floats become integers by rounding to
// nearest with ties to even (2.5 -> 2, 3.5 -> 4); a value outside the integer's range, or NaN,
// becomes the integer's most negative value, as the floating-point unit stores it.
#pragma once

#include <cstdint>

namespace qv {

int32_t FloatToInteger(long double value);
int64_t FloatToQuad(long double value);
inline long double IntegerToFloat(int32_t value) { return static_cast<long double>(value); }

}  // namespace qv
