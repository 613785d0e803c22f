// NumberToText of any 80-bit pattern with any digit count and flags: the text stays within
// its capacity, uses only the characters of a number, and reads back as the value to within
// the precision asked for.
#include <cmath>
#include <limits>
#include <cstring>
#include <string>

#include "frame.h"
#include "fuzz_input.h"
#include "number_to_text.h"
#include "string_ops.h"
#include "text_to_number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  if (size < 12) return 0;
  fuzz::Input in(data, size);
  unsigned char bits[sizeof(long double)] = {};
  for (int i = 0; i < 10; ++i) bits[i] = in.Byte();
  long double value;
  std::memcpy(&value, bits, sizeof value);
  const int32_t digits = static_cast<int8_t>(in.Byte());
  const uint8_t flag_bits = in.Byte();
  const uint32_t flags = (flag_bits & 1 ? kKeepTrailingBlank : 0) | (flag_bits & 2 ? kKeepSignColumn : 0);

  ProcedureFrame frame;
  NumberToText(value, digits, flags);
  const std::string text = PopText().str();
  fuzz::Check(frame.operands().depth() == 0);
  fuzz::Check(!text.empty() && text.size() <= kNumberTextCapacity);
  fuzz::Check(text.find_first_not_of(" -.0123456789E+") == std::string::npos);

  uint64_t mantissa;
  std::memcpy(&mantissa, bits, 8);
  const unsigned exponent = (bits[8] | (bits[9] << 8)) & 0x7FFF;
  const bool integer_bit = (mantissa >> 63) != 0;
  const bool zero_text = text == "0" || text == " 0" || text == "0 " || text == " 0 ";
  if (exponent != 0 && exponent != 0x7FFF && integer_bit) {
    if (std::fabs(value) < 1e4931L) {  // from 10^4932 on the text reads back as the overflow value
      const int p = digits <= 0 || digits >= 18 ? 18 : digits;
      // Rounding by the next digit alone leaves less than 0.6 of a unit in the last digit (a 5
      // followed by nines, rounded down), plus the generator's own error in the 18th digit.
      const long double tolerance = 0.6L * std::pow(10.0L, 1 - p) + 1e-17L;
      const long double back = ParseNumber(text);
      fuzz::Check(std::fabs(back - value) <= tolerance * std::fabs(value));
    }
  } else if (exponent == 0x7FFF && mantissa == uint64_t{1} << 63) {
    fuzz::Check(text.find("E+998") != std::string::npos);
    fuzz::Check((text.find('-') != std::string::npos) == ((bits[9] & 0x80) != 0));
  } else if (!(exponent == 0 && integer_bit)) {  // a pseudo-denormal may arrive normalised
    fuzz::Check(zero_text);
  }
  return 0;
}
