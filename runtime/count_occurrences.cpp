#include "count_occurrences.h"

#include "frame.h"
#include "text_operands.h"
#include "text_search.h"

namespace qv {

namespace {

template <typename Unit, bool kAny>
int32_t Count() {
  OperandStack& stack = ProcedureFrame::Current().operands();
  TextRef needle_ref = stack.Pop();
  TextRef text_ref = stack.Pop();
  const auto text = UnitsOf<Unit>(text_ref);
  const auto needle = UnitsOf<Unit>(needle_ref);
  int64_t count = 0;
  if (kAny) {
    for (Unit u : text) count += InSet(needle, u);
  } else {
    for (size_t p = ForwardSearch(text, needle, 0); p != kNoMatch;
         p = ForwardSearch(text, needle, p + needle.size()))
      ++count;
  }
  needle_ref.Release();
  text_ref.Release();
  return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

}  // namespace

int32_t CountOccurrences() { return Count<char16_t, false>(); }
int32_t CountOccurrencesAny() { return Count<char16_t, true>(); }
int32_t CountOccurrencesBytes() { return Count<char, false>(); }
int32_t CountOccurrencesAnyBytes() { return Count<char, true>(); }

}  // namespace qv
