#include "find_text.h"

#include "frame.h"
#include "text_operands.h"
#include "text_search.h"

namespace qv {

namespace {

template <typename Unit, bool kAny>
int64_t Find(std::basic_string_view<Unit> text, std::basic_string_view<Unit> needle, int64_t start) {
  const int64_t length = static_cast<int64_t>(text.size());
  if (start == 0 || length == 0) return 0;
  if (needle.empty()) {
    if (start > 0) return start;
    const int64_t q = length + start + 1;
    return q >= 0 ? q : 0;  // q never exceeds length for start < 0
  }
  size_t at;
  if (start > 0) {
    if (start > length) return 0;
    const size_t s = static_cast<size_t>(start - 1);
    at = kAny ? ForwardSearchAny(text, needle, s) : ForwardSearch(text, needle, s);
  } else {
    const int64_t end = length + start + 1;
    if (end <= 0) return 0;
    const size_t e = static_cast<size_t>(end);
    at = kAny ? BackwardSearchAny(text, needle, e) : BackwardSearch(text, needle, e);
  }
  return at == kNoMatch ? 0 : static_cast<int64_t>(at) + 1;
}

template <typename Unit, bool kAny>
int32_t FindOperation(int32_t start) {
  OperandStack& stack = ProcedureFrame::Current().operands();
  TextRef needle = stack.Pop();
  TextRef text = stack.Pop();
  const int64_t at = Find<Unit, kAny>(UnitsOf<Unit>(text), UnitsOf<Unit>(needle), start);
  needle.Release();
  text.Release();
  // Positions past 2^31 - 1 cannot be told in the result; they read as not found.
  return at > INT32_MAX ? 0 : static_cast<int32_t>(at);
}

}  // namespace

int32_t FindText(int32_t start) { return FindOperation<char, false>(start); }
int32_t FindAnyChar(int32_t start) { return FindOperation<char, true>(start); }
int32_t FindTextWide(int32_t start) { return FindOperation<char16_t, false>(start); }
int32_t FindAnyCharWide(int32_t start) { return FindOperation<char16_t, true>(start); }

}  // namespace qv
