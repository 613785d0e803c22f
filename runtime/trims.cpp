#include "trims.h"

#include "frame.h"
#include "text_operands.h"
#include "text_search.h"

namespace qv {

namespace {

template <typename Unit>
using View = std::basic_string_view<Unit>;

enum class Side { kLeading, kTrailing };

template <typename Unit>
View<Unit> StripPattern(View<Unit> text, View<Unit> pattern, Side side) {
  if (pattern.empty()) return text;
  if (side == Side::kLeading)
    while (text.size() >= pattern.size() && text.substr(0, pattern.size()) == pattern)
      text.remove_prefix(pattern.size());
  else
    while (text.size() >= pattern.size() && text.substr(text.size() - pattern.size()) == pattern)
      text.remove_suffix(pattern.size());
  return text;
}

template <typename Unit>
View<Unit> StripSet(View<Unit> text, View<Unit> set, Side side) {
  if (side == Side::kLeading)
    while (!text.empty() && InSet(set, text.front())) text.remove_prefix(1);
  else
    while (!text.empty() && InSet(set, text.back())) text.remove_suffix(1);
  return text;
}

// Pushes what is left of `text_ref`; an untouched operand goes back as it came.
template <typename Unit>
void PushTrimmed(TextRef text_ref, View<Unit> left) {
  if (left.size() == UnitsOf<Unit>(text_ref).size()) PushOwned(text_ref);
  else PushPartOf(text_ref, left);
}

template <typename Unit>
void TrimSpaces(Side side) {
  TextRef text_ref = ProcedureFrame::Current().operands().Pop();
  static constexpr Unit kBlank[1] = {Unit(0x20)};
  PushTrimmed(text_ref, StripSet(UnitsOf<Unit>(text_ref), View<Unit>(kBlank, 1), side));
}

template <typename Unit, bool kSet>
void TrimWith(Side side) {
  OperandStack& stack = ProcedureFrame::Current().operands();
  TextRef what = stack.Pop();
  TextRef text_ref = stack.Pop();
  const View<Unit> text = UnitsOf<Unit>(text_ref), by = UnitsOf<Unit>(what);
  const View<Unit> left = kSet ? StripSet(text, by, side) : StripPattern(text, by, side);
  what.Release();
  PushTrimmed(text_ref, left);
}

}  // namespace

void TrimLeadingSpaces() { TrimSpaces<char>(Side::kLeading); }
void TrimTrailingSpaces() { TrimSpaces<char>(Side::kTrailing); }
void TrimLeadingPattern() { TrimWith<char, false>(Side::kLeading); }
void TrimTrailingPattern() { TrimWith<char, false>(Side::kTrailing); }
void TrimLeadingSet() { TrimWith<char, true>(Side::kLeading); }
void TrimTrailingSet() { TrimWith<char, true>(Side::kTrailing); }

void TrimLeadingSpacesWide() { TrimSpaces<char16_t>(Side::kLeading); }
void TrimTrailingSpacesWide() { TrimSpaces<char16_t>(Side::kTrailing); }
void TrimLeadingPatternWide() { TrimWith<char16_t, false>(Side::kLeading); }
void TrimTrailingPatternWide() { TrimWith<char16_t, false>(Side::kTrailing); }
void TrimLeadingSetWide() { TrimWith<char16_t, true>(Side::kLeading); }
void TrimTrailingSetWide() { TrimWith<char16_t, true>(Side::kTrailing); }

}  // namespace qv
