// Decimal text of an extended value: an 18-digit generator rounded to the requested number of
// significant digits, laid out in fixed form where that fits in those digits, else with an
// exponent. There is no '0' before the point: 0.5 is ".5".
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// Flags of NumberToText.
constexpr uint32_t kKeepSignColumn = 0x80000000u;  // keep the blank that stands for '+'
constexpr uint32_t kKeepTrailingBlank = 0x1;       // keep the blank after the number

// Longest text FormatNumber writes (sign, 18 digits, point, "E-4951", blank).
constexpr size_t kNumberTextCapacity = 32;

// The digit generator's result: `count` significant digits ('0'-'9') and the position of the
// decimal point, `point` digits from the left (negative: zeros come between point and digits).
struct DecimalDigits {
  char digits[18];
  int32_t count;
  int32_t point;
  bool negative;
};

// `digits` is the number of significant digits; 0 (or fewer) and 18 or more mean 18.
DecimalDigits GenerateDigits(long double value, int32_t digits);

// Writes the text of `value` into `out` (kNumberTextCapacity chars) and returns its length.
size_t FormatNumber(long double value, int32_t digits, uint32_t flags, char* out);

// Push the text as an owned byte text. Error 7 (and the empty text) when it cannot be allocated.
void NumberToText(long double value, int32_t digits, uint32_t flags);
void NumberToText7(long double value);
void NumberToText7SignColumn(long double value);
void NumberToText15(long double value);
void NumberToText15SignColumn(long double value);
void NumberToTextDigits(long double value, int32_t digits);
void NumberToTextDigitsSignColumn(long double value, int32_t digits);

}  // namespace qv
