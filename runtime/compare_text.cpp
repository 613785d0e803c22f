#include "compare_text.h"

#include "frame.h"
#include "text_operands.h"

namespace qv {

namespace {

template <typename Unit>
int32_t Compare() {
  OperandStack& stack = ProcedureFrame::Current().operands();
  TextRef b = stack.Pop();
  TextRef a = stack.Pop();
  // char_traits<char> compares as unsigned char, char_traits<char16_t> as unsigned 16-bit.
  const int c = UnitsOf<Unit>(a).compare(UnitsOf<Unit>(b));
  a.Release();
  b.Release();
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

int32_t CompareText() { return Compare<char16_t>(); }
int32_t CompareTextBytes() { return Compare<char>(); }

}  // namespace qv
