// Powers of ten for both directions of number/text conversion. 10^k is built from a small table:
// 10^0..10^7 as integers and 10^8, 10^16, ..., 10^4096 as extended values, one entry per bit of k.
#pragma once

#include <cstdint>
#include <limits>

namespace qv {

static_assert(std::numeric_limits<long double>::digits == 64,
              "number conversion needs the 80-bit extended format");

// 10^18: the upper bound of the 18-digit integers the digit generator works with.
constexpr uint64_t kTenTo18 = 1000000000000000000ULL;

// x * 10^k (a negative k divides). Exponents beyond +-4096 are first reduced by one step of
// 10^4096, so no intermediate power overflows.
long double ScaleByPowerOfTen(long double x, int64_t k);

}  // namespace qv
