// TextToNumber on any bytes from any start: never NaN or infinite, never reads outside the
// text, and the same value as the text read from that position directly.
#include <cmath>
#include <string_view>

#include "frame.h"
#include "fuzz_input.h"
#include "string_ops.h"
#include "text_to_number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  fuzz::Input in(data, size);
  const int32_t start = in.Position();
  const std::string text = in.Rest();
  ProcedureFrame frame;
  PushOwned(DynString::FromBytes(text));
  const long double value = TextToNumber(start);
  fuzz::Check(frame.operands().depth() == 0);
  fuzz::Check(std::isfinite(value));
  fuzz::Check(std::fabs(value) <= 1e4932L);
  const size_t skip = start > 1 ? size_t(start) - 1 : 0;
  const long double direct = skip < text.size() ? ParseNumber(std::string_view(text).substr(skip)) : 0;
  fuzz::Check(value == direct);
  return 0;
}
