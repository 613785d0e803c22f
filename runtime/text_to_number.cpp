#include "text_to_number.h"

#include "frame.h"
#include "power_of_ten.h"
#include "text_operands.h"

namespace qv {

namespace {

constexpr int kMaxSignificant = 18;
constexpr int32_t kExponentClamp = 9999;
constexpr int64_t kOverflowPoint = 4933;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool done() const { return i_ >= text_.size(); }
  char peek() const { return done() ? '\0' : text_[i_]; }
  bool at(char c) const { return !done() && text_[i_] == c; }
  void next() { ++i_; }

 private:
  std::string_view text_;
  size_t i_ = 0;
};

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return 99;
}

long double ReadBasedInteger(Reader& in) {
  unsigned base = 8;
  switch (in.peek()) {
    case 'H': case 'h': base = 16; in.next(); break;
    case 'O': case 'o': case 'Q': case 'q': in.next(); break;
    case 'B': case 'b': base = 2; in.next(); break;
    default: break;  // bare '&': octal, the byte is a digit or ends the number
  }
  uint64_t value = 0;
  bool any = false, overflow = false;
  const bool leading_zero = in.at('0');
  for (int v; !in.done() && (v = DigitValue(in.peek())) < static_cast<int>(base); in.next()) {
    any = true;
    if (value > (UINT64_MAX - static_cast<uint64_t>(v)) / base) overflow = true;
    value = value * base + static_cast<uint64_t>(v);  // wraps harmlessly once overflowed
  }
  if (!any || overflow) return 0;

  bool single_amp = false, double_amp = false, unsigned_mark = false;
  if (in.at('%')) {
    in.next();
  } else if (in.at('&')) {
    in.next();
    if (in.at('&')) double_amp = true;
    else single_amp = true;
  } else if (in.at('?')) {
    unsigned_mark = true;
  }

  if (leading_zero) return static_cast<long double>(value);
  if (unsigned_mark) return (value >> 63) ? 0 : static_cast<long double>(value);
  if (double_amp) return static_cast<long double>(static_cast<int64_t>(value));
  if (value <= 0xFFFF) {
    if ((value & 0x8000) && !single_amp) return static_cast<long double>(static_cast<int16_t>(value));
    return static_cast<long double>(value);
  }
  if (value <= 0xFFFFFFFF)
    return static_cast<long double>((value & 0x80000000) ? static_cast<int32_t>(value)
                                                         : static_cast<int64_t>(value));
  return static_cast<long double>(static_cast<int64_t>(value));
}

long double ReadDecimal(Reader& in) {
  bool negative = false;
  if (in.at('+') || in.at('-')) {
    negative = in.at('-');
    in.next();
  }
  uint64_t mantissa = 0;
  int significant = 0;   // digits accumulated, at most 18
  bool any_digit = false;
  bool started = false;  // a non-zero digit has been seen
  bool point = false;
  int64_t q = 0;  // decimal exponent of the first significant digit, plus one
  for (;; in.next()) {
    const char c = in.peek();
    if (IsDigit(c)) {
      any_digit = true;
      if (!started && c == '0') {
        if (point) --q;
        continue;
      }
      started = true;
      if (significant < kMaxSignificant) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
        ++significant;
      }
      if (!point) ++q;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  // Zeros only: a zero that keeps its sign, so "-0" is a negative zero. No digit at all is 0.
  if (!started) return any_digit && negative ? -0.0L : 0.0L;

  const char c = in.peek();
  if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    in.next();
    bool exponent_negative = false;
    if (in.at('+') || in.at('-')) {
      exponent_negative = in.at('-');
      in.next();
    }
    int32_t exponent = 0;
    for (; !in.done() && IsDigit(in.peek()); in.next()) {
      exponent = exponent * 10 + (in.peek() - '0');
      if (exponent > kExponentClamp) exponent = kExponentClamp;
    }
    q += exponent_negative ? -exponent : exponent;
  }

  long double value;
  if (q >= kOverflowPoint) value = kNumberOverflowValue;
  else if (q <= -kOverflowPoint) value = 0;
  else value = ScaleByPowerOfTen(static_cast<long double>(mantissa), q - significant);
  return negative ? -value : value;
}

}  // namespace

long double ParseNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
    ++i;
  if (i == text.size()) return 0;
  Reader in(text.substr(i));
  if (in.at('&')) {
    in.next();
    return ReadBasedInteger(in);
  }
  return ReadDecimal(in);
}

long double TextToNumber(int32_t start) {
  TextRef text = ProcedureFrame::Current().operands().Pop();
  const std::string_view all = UnitsOf<char>(text);
  const size_t skip = start > 1 ? static_cast<size_t>(start) - 1 : 0;
  const long double value = skip < all.size() ? ParseNumber(all.substr(skip)) : 0;
  text.Release();
  return value;
}

}  // namespace qv
