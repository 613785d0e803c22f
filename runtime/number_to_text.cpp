#include "number_to_text.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "power_of_ten.h"
#include "text_operands.h"

namespace qv {

namespace {

constexpr int32_t kMaxDigits = 18;
constexpr uint16_t kExponentMax = 0x7FFF;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
// Decimal point position given to infinity: its text is all nines with exponent 998.
constexpr int32_t kInfinityPoint = 999;

constexpr uint64_t kPowers[19] = {1ULL,
                                  10ULL,
                                  100ULL,
                                  1000ULL,
                                  10000ULL,
                                  100000ULL,
                                  1000000ULL,
                                  10000000ULL,
                                  100000000ULL,
                                  1000000000ULL,
                                  10000000000ULL,
                                  100000000000ULL,
                                  1000000000000ULL,
                                  10000000000000ULL,
                                  100000000000000ULL,
                                  1000000000000000ULL,
                                  10000000000000000ULL,
                                  100000000000000000ULL,
                                  kTenTo18};

int32_t EffectiveDigits(int32_t digits) {
  return digits <= 0 || digits >= kMaxDigits ? kMaxDigits : digits;
}

DecimalDigits Filled(char digit, int32_t count, int32_t point, bool negative) {
  DecimalDigits g{};
  std::memset(g.digits, digit, sizeof g.digits);
  g.count = count;
  g.point = point;
  g.negative = negative;
  return g;
}

// The integer nearest to |x| * 10^(17 - d), brought into [10^17, 10^18) by adjusting d.
uint64_t EighteenDigits(long double magnitude, int32_t& d) {
  long double scaled = ScaleByPowerOfTen(magnitude, 17 - d);
  long double r = std::nearbyint(scaled);
  if (r >= static_cast<long double>(kTenTo18)) {
    r = std::nearbyint(scaled / 10);
    ++d;
  } else if (r < static_cast<long double>(kPowers[17])) {
    // The estimate of d can be one too high for values just above a power of ten far below 1.
    r = std::nearbyint(scaled * 10);
    --d;
  }
  return static_cast<uint64_t>(r);
}

}  // namespace

DecimalDigits GenerateDigits(long double value, int32_t digits) {
  const int32_t p = EffectiveDigits(digits);
  unsigned char bytes[10];
  std::memcpy(bytes, &value, sizeof bytes);
  uint64_t mantissa;
  std::memcpy(&mantissa, bytes, 8);
  const uint16_t sign_exponent = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
  const int32_t e2 = sign_exponent & kExponentMax;
  const bool negative = (sign_exponent >> 15) != 0;

  if (e2 == 0) return Filled('0', p, 1, false);  // zero and denormals
  if (e2 == kExponentMax) {
    if (mantissa == kIntegerBit) return Filled('9', p, kInfinityPoint, negative);
    return Filled('0', p, 1, false);  // NaN
  }
  // Without its integer bit the unit refuses the value as an invalid operand: shown as NaN.
  if ((mantissa & kIntegerBit) == 0) return Filled('0', p, 1, false);

  int32_t d = ((e2 - 16383) * 19728) >> 16;
  const uint64_t n18 = EighteenDigits(negative ? -value : value, d);

  uint64_t head = n18;
  if (p < kMaxDigits) {
    const uint64_t first = n18 / kPowers[kMaxDigits - 1 - p];  // the first p + 1 digits
    const uint64_t next = first % 10;
    head = first / 10;
    // By the (p+1)-th digit alone, the digits after it unseen: a 5 goes to the even side even
    // where more follows (0.2500001 to one digit is .2). Texts read by other programs rely on
    // this documented rule.
    if (next > 5 || (next == 5 && (head & 1) != 0)) ++head;
    if (head == kPowers[p]) {  // the carry ran through all nines
      head = kPowers[p - 1];
      ++d;
    }
  }
  DecimalDigits g{};
  g.count = p;
  g.point = d + 1;
  g.negative = negative;
  for (int32_t i = p - 1; i >= 0; --i) {
    g.digits[i] = static_cast<char>('0' + head % 10);
    head /= 10;
  }
  return g;
}

size_t FormatNumber(long double value, int32_t digits, uint32_t flags, char* out) {
  const int32_t p = EffectiveDigits(digits);
  const DecimalDigits g = GenerateDigits(value, p);
  int32_t n = g.count;
  while (n > 0 && g.digits[n - 1] == '0') --n;
  int32_t e = g.point;
  const char* ds = g.digits;
  if (n == 0) {  // zero
    ds = "0";
    n = 1;
    e = 1;
  }

  char* o = out;
  *o++ = g.negative ? '-' : ' ';
  auto put_digits = [&](int32_t from, int32_t to) {
    for (int32_t i = from; i < to; ++i) *o++ = ds[i];
  };
  bool exponent_form = false;
  if (e - n >= 0) {
    if (e <= p) {
      put_digits(0, n);
      for (int32_t i = 0; i < e - n; ++i) *o++ = '0';
    } else {
      exponent_form = true;
    }
  } else if (n - e <= p) {
    if (e > 0) {
      put_digits(0, e);
      *o++ = '.';
      put_digits(e, n);
    } else {
      *o++ = '.';
      for (int32_t i = 0; i < -e; ++i) *o++ = '0';
      put_digits(0, n);
    }
  } else {
    exponent_form = true;
  }
  if (exponent_form) {
    *o++ = ds[0];
    if (n > 1) {
      *o++ = '.';
      put_digits(1, n);
    }
    const int32_t x = e - 1;
    *o++ = 'E';
    *o++ = x < 0 ? '-' : '+';
    char text[8];
    int32_t len = 0;
    for (uint32_t m = static_cast<uint32_t>(x < 0 ? -x : x); len == 0 || m != 0; m /= 10)
      text[len++] = static_cast<char>('0' + m % 10);
    while (len > 0) *o++ = text[--len];
  }
  if (flags & kKeepTrailingBlank) *o++ = ' ';

  size_t length = static_cast<size_t>(o - out);
  if (!g.negative && !(flags & kKeepSignColumn)) {
    std::memmove(out, out + 1, length - 1);
    --length;
  }
  return length;
}

void NumberToText(long double value, int32_t digits, uint32_t flags) {
  char text[kNumberTextCapacity];
  const size_t length = FormatNumber(value, digits, flags, text);
  PushCopy(std::string_view(text, length));
}

void NumberToText7(long double value) { NumberToText(value, 7, 0); }
void NumberToText7SignColumn(long double value) { NumberToText(value, 7, kKeepSignColumn); }
void NumberToText15(long double value) { NumberToText(value, 15, 0); }
void NumberToText15SignColumn(long double value) { NumberToText(value, 15, kKeepSignColumn); }
void NumberToTextDigits(long double value, int32_t digits) { NumberToText(value, digits, 0); }
void NumberToTextDigitsSignColumn(long double value, int32_t digits) {
  NumberToText(value, digits, kKeepSignColumn);
}

}  // namespace qv
