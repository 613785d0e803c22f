#include "power_of_ten.h"

namespace qv {

namespace {

constexpr int32_t kSmallPowers[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// 10^(8 * 2^i), each correctly rounded to 64 mantissa bits.
constexpr long double kLargePowers[10] = {
    0xBEBC200000000000P-37L,     // 1e8
    0x8E1BC9BF04000000P-10L,     // 1e16
    0x9DC5ADA82B70B59EP+43L,     // 1e32
    0xC2781F49FFCFA6D5P+149L,    // 1e64
    0x93BA47C980E98CE0P+362L,    // 1e128
    0xAA7EEBFB9DF9DE8EP+787L,    // 1e256
    0xE319A0AEA60E91C7P+1637L,   // 1e512
    0xC976758681750C17P+3338L,   // 1e1024
    0x9E8B3B5DC53D5DE5P+6740L,   // 1e2048
    0xC46052028A20979BP+13543L,  // 1e4096
};
constexpr long double kTenTo4096 = kLargePowers[9];

}  // namespace

long double ScaleByPowerOfTen(long double x, int64_t k) {
  if (k == 0) return x;
  const bool divide = k < 0;
  uint64_t m = divide ? 0 - static_cast<uint64_t>(k) : static_cast<uint64_t>(k);
  // Past 10^10000 every finite non-zero value has already reached zero or infinity.
  if (m > 10000) m = 10000;
  while (m > 4096) {
    x = divide ? x / kTenTo4096 : x * kTenTo4096;
    m -= 4096;
  }
  long double p = kSmallPowers[m & 7];
  for (int bit = 0; bit < 10; ++bit)
    if ((m >> (bit + 3)) & 1) p *= kLargePowers[bit];
  return divide ? x / p : x * p;
}

}  // namespace qv
