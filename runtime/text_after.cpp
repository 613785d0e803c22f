#include "text_after.h"

#include "frame.h"
#include "text_operands.h"
#include "text_search.h"

namespace qv {

namespace {

template <typename Unit, bool kAny>
void After(int32_t start) {
  OperandStack& stack = ProcedureFrame::Current().operands();
  TextRef needle_ref = stack.Pop();
  TextRef text_ref = stack.Pop();
  const auto text = UnitsOf<Unit>(text_ref);
  const auto needle = UnitsOf<Unit>(needle_ref);
  const int64_t length = static_cast<int64_t>(text.size());
  int64_t s = start;
  if (s < 0) s += length + 1;
  std::basic_string_view<Unit> result;
  if (!text.empty() && !needle.empty() && start != 0 && s >= 1 && s <= length) {
    const size_t from = static_cast<size_t>(s - 1);
    const size_t at = kAny ? ForwardSearchAny(text, needle, from) : ForwardSearch(text, needle, from);
    if (at != kNoMatch) result = text.substr(at + (kAny ? 1 : needle.size()));
  }
  needle_ref.Release();
  PushCopy(result);
  text_ref.Release();
}

}  // namespace

void TextAfter(int32_t start) { After<char, false>(start); }
void TextAfterAny(int32_t start) { After<char, true>(start); }
void TextAfterWide(int32_t start) { After<char16_t, false>(start); }
void TextAfterAnyWide(int32_t start) { After<char16_t, true>(start); }

}  // namespace qv
