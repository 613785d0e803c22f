// TextToNumber on any bytes from any start: never NaN or infinite, never reads outside the
// text, and it keeps the promises a reader of numbers relies on: a start skips the bytes
// before it, blanks in front change nothing, and a sign in front of a number that begins with
// a digit gives exactly that value or its negation (a zero included).
#include <cmath>
#include <cstring>
#include <string>

#include "frame.h"
#include "fuzz_input.h"
#include "string_ops.h"
#include "text_to_number.h"

namespace {

long double Read(const std::string& text, int32_t start = 1) {
  qv::fuzz::Push(text);
  return qv::TextToNumber(start);
}

bool Same(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  fuzz::Input in(data, size);
  const int32_t start = in.Position();
  const std::string text = in.Rest();
  ProcedureFrame frame;
  const long double value = Read(text, start);
  fuzz::Check(frame.operands().depth() == 0);
  fuzz::Check(std::isfinite(value));
  fuzz::Check(std::fabs(value) <= 1e4932L);

  if (start > int32_t(text.size())) fuzz::Check(value == 0);
  else if (start > 1) fuzz::Check(Same(value, Read(text.substr(size_t(start) - 1))));
  else fuzz::Check(Same(value, Read(text)));  // below 1: from the first byte

  const long double whole = Read(text);
  fuzz::Check(Same(whole, Read(" \t\r\n" + text)));
  if (!text.empty() && text[0] >= '0' && text[0] <= '9') {
    fuzz::Check(Same(Read("+" + text), whole));
    fuzz::Check(Same(Read("-" + text), -whole));
  }
  return 0;
}
