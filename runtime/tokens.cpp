#include "tokens.h"

#include <optional>

#include "frame.h"
#include "text_operands.h"
#include "text_search.h"

namespace qv {

namespace {

constexpr char16_t kBlank = 0x20;
constexpr char16_t kQuote = 0x22;
constexpr char16_t kComma = 0x2C;

template <typename Unit>
using View = std::basic_string_view<Unit>;

// A field number as a 0-based index among `count` fields, after the negative-n rule.
std::optional<size_t> FieldIndex(int32_t n, size_t count) {
  int64_t k = n;
  if (k < 0) k += static_cast<int64_t>(count) + 1;
  if (k < 1 || k > static_cast<int64_t>(count)) return std::nullopt;
  return static_cast<size_t>(k - 1);
}

// Separators: whole occurrences of a delimiter, or single units of a set.
template <typename Unit, bool kAny>
struct Separators {
  View<Unit> text, sep;
  // The next separator at or after s: its index and length, or kNoMatch.
  size_t Next(size_t s, size_t& length) const {
    length = kAny ? 1 : sep.size();
    return kAny ? ForwardSearchAny(text, sep, s) : ForwardSearch(text, sep, s);
  }
  size_t Count() const {
    size_t count = 0, length;
    for (size_t p = Next(0, length); p != kNoMatch; p = Next(p + length, length)) ++count;
    return count;
  }
  View<Unit> Field(size_t index) const {
    size_t start = 0, length;
    for (size_t i = 0; i < index; ++i) start = Next(start, length) + length;
    const size_t end = Next(start, length);
    return text.substr(start, end == kNoMatch ? View<Unit>::npos : end - start);
  }
};

// Comma mode: one field of a comma-separated list, starting at `pos`.
template <typename Unit>
struct CommaField {
  View<Unit> value;
  size_t next = 0;  // where the following field starts
  bool last = true;
};

template <typename Unit>
CommaField<Unit> ReadCommaField(View<Unit> text, size_t pos) {
  while (pos < text.size() && text[pos] == Unit(kBlank)) ++pos;
  CommaField<Unit> f;
  size_t comma;
  if (pos < text.size() && text[pos] == Unit(kQuote)) {
    const size_t close = text.find(Unit(kQuote), pos + 1);
    if (close == kNoMatch) {
      f.value = text.substr(pos + 1);
      return f;
    }
    f.value = text.substr(pos + 1, close - pos - 1);
    comma = text.find(Unit(kComma), close + 1);
  } else {
    comma = text.find(Unit(kComma), pos);
    size_t end = comma == kNoMatch ? text.size() : comma;
    while (end > pos && text[end - 1] == Unit(kBlank)) --end;
    f.value = text.substr(pos, end - pos);
  }
  if (comma != kNoMatch) {
    f.last = false;
    f.next = comma + 1;
  }
  return f;
}

template <typename Unit>
size_t CommaCount(View<Unit> text) {
  size_t count = 1;
  for (CommaField<Unit> f = ReadCommaField(text, 0); !f.last; f = ReadCommaField(text, f.next))
    ++count;
  return count;
}

template <typename Unit>
std::optional<View<Unit>> CommaFieldAt(View<Unit> text, int32_t n) {
  const auto index = FieldIndex(n, CommaCount(text));
  if (!index) return std::nullopt;
  CommaField<Unit> f = ReadCommaField(text, 0);
  for (size_t i = 0; i < *index; ++i) f = ReadCommaField(text, f.next);
  return f.value;
}

struct Operands2 {
  TextRef text, sep;
  Operands2() {
    OperandStack& stack = ProcedureFrame::Current().operands();
    sep = stack.Pop();
    text = stack.Pop();
  }
};

template <typename Unit, bool kAny>
int32_t Count() {
  Operands2 ops;
  const View<Unit> text = UnitsOf<Unit>(ops.text), sep = UnitsOf<Unit>(ops.sep);
  size_t count;
  if (kAny) count = 1 + Separators<Unit, true>{text, sep}.Count();
  else if (sep.empty()) count = CommaCount(text);
  else count = 1 + Separators<Unit, false>{text, sep}.Count();
  ops.text.Release();
  ops.sep.Release();
  return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

template <typename Unit, bool kAny>
void Field(int32_t n) {
  Operands2 ops;
  const View<Unit> text = UnitsOf<Unit>(ops.text), sep = UnitsOf<Unit>(ops.sep);
  std::optional<View<Unit>> field;
  if (kAny && sep.empty()) {
    field = text;  // no separator at all: the text for every n
  } else if (!kAny && sep.empty()) {
    field = CommaFieldAt(text, n);
  } else {
    const Separators<Unit, kAny> s{text, sep};
    if (auto index = FieldIndex(n, s.Count() + 1)) field = s.Field(*index);
  }
  ops.sep.Release();
  if (field) {
    PushPartOf(ops.text, *field);
  } else {
    ops.text.Release();
    PushEmpty();
  }
}

}  // namespace

int32_t TokenCount() { return Count<char16_t, false>(); }
void TokenField(int32_t n) { Field<char16_t, false>(n); }
int32_t TokenCountAny() { return Count<char16_t, true>(); }
void TokenFieldAny(int32_t n) { Field<char16_t, true>(n); }

int32_t TokenCountBytes() { return Count<char, false>(); }
void TokenFieldBytes(int32_t n) { Field<char, false>(n); }
int32_t TokenCountAnyBytes() { return Count<char, true>(); }
void TokenFieldAnyBytes(int32_t n) { Field<char, true>(n); }

}  // namespace qv
