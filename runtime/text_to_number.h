// The value of the number at the start of a text: a decimal number with optional point and
// exponent, or a based integer after '&' (&H hex, &O/&Q octal, &B binary, bare & octal).
// Text that is not a number gives 0; nothing here raises an error.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv {

// 2^127: the value of a decimal number too large for the extended range.
constexpr long double kNumberOverflowValue = 170141183460469231731687303715884105728.0L;

// Reads from the first byte of `text`.
long double ParseNumber(std::string_view text);

// Pops a byte text and reads from the 1-based position `start` (below 1 reads from the first
// byte; beyond the end gives 0).
long double TextToNumber(int32_t start = 1);

}  // namespace qv
