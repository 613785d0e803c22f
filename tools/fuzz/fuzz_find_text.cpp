// FindText, FindAnyChar, TextAfter, TextAfterAny and CountOccurrences, byte and wide, with any
// starts, against a plain unit-by-unit model of the same rules.
#include <string>

#include "count_occurrences.h"
#include "find_text.h"
#include "frame.h"
#include "fuzz_input.h"
#include "string_ops.h"
#include "text_after.h"

namespace {

using namespace qv;
using fuzz::Pop;
using fuzz::Push;

template <typename Str>
bool MatchAt(const Str& text, const Str& needle, int64_t p, bool any) {
  if (any) return needle.find(text[size_t(p)]) != Str::npos;
  return text.compare(size_t(p), needle.size(), needle) == 0;
}

template <typename Str>
int64_t ModelFind(int64_t start, const Str& text, const Str& needle, bool any) {
  const int64_t length = int64_t(text.size()), m = any ? 1 : int64_t(needle.size());
  if (start == 0 || length == 0) return 0;
  if (needle.empty()) {
    if (start > 0) return start;
    const int64_t q = length + start + 1;
    return q >= 0 && q <= length ? q : 0;
  }
  if (start > 0) {
    for (int64_t p = start - 1; p + m <= length; ++p)
      if (MatchAt(text, needle, p, any)) return p + 1;
    return 0;
  }
  const int64_t e = length + start + 1;
  if (e <= 0) return 0;
  for (int64_t p = e - m; p >= 0; --p)
    if (MatchAt(text, needle, p, any)) return p + 1;
  return 0;
}

template <typename Str>
Str ModelAfter(int64_t start, const Str& text, const Str& needle, bool any) {
  const int64_t length = int64_t(text.size()), m = any ? 1 : int64_t(needle.size());
  if (length == 0 || needle.empty() || start == 0) return {};
  const int64_t s = start < 0 ? length + start + 1 : start;
  if (s < 1 || s > length) return {};
  for (int64_t p = s - 1; p + m <= length; ++p)
    if (MatchAt(text, needle, p, any)) return text.substr(size_t(p + m));
  return {};
}

template <typename Str>
int32_t ModelCount(const Str& text, const Str& needle, bool any) {
  int32_t count = 0;
  if (any) {
    for (auto u : text) count += needle.find(u) != Str::npos;
    return count;
  }
  if (needle.empty()) return 0;
  for (size_t p = 0; p + needle.size() <= text.size();)
    if (text.compare(p, needle.size(), needle) == 0) {
      ++count;
      p += needle.size();
    } else {
      ++p;
    }
  return count;
}

struct FindOps {
  int32_t (*find)(int32_t);
  int32_t (*find_any)(int32_t);
  void (*after)(int32_t);
  void (*after_any)(int32_t);
  int32_t (*count)();
  int32_t (*count_any)();
};

template <typename Str>
void Exercise(int32_t start, const Str& text, const Str& needle, const FindOps& ops) {
  auto call = [&](auto op) {
    Push(text);
    Push(needle);
    return op(start);
  };
  fuzz::Check(call(ops.find) == ModelFind(start, text, needle, false));
  fuzz::Check(call(ops.find_any) == ModelFind(start, text, needle, true));
  call(ops.after);
  fuzz::Check(Pop<Str>() == ModelAfter(start, text, needle, false));
  call(ops.after_any);
  fuzz::Check(Pop<Str>() == ModelAfter(start, text, needle, true));
  Push(text);
  Push(needle);
  fuzz::Check(ops.count() == ModelCount(text, needle, false));
  Push(text);
  Push(needle);
  fuzz::Check(ops.count_any() == ModelCount(text, needle, true));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const uint8_t mode = in.Byte();
  const int32_t start = in.Position();
  ProcedureFrame frame;
  if (mode & 1) {
    const std::u16string needle = in.Units();
    const std::u16string text = in.Units();
    Exercise(start, text, needle,
             FindOps{FindTextWide, FindAnyCharWide, TextAfterWide, TextAfterAnyWide, CountOccurrences,
                     CountOccurrencesAny});
  } else {
    const std::string needle = in.Bytes();
    const std::string text = in.Rest();
    Exercise(start, text, needle,
             FindOps{FindText, FindAnyChar, TextAfter, TextAfterAny, CountOccurrencesBytes,
                     CountOccurrencesAnyBytes});
  }
  fuzz::Check(frame.operands().depth() == 0);
  return 0;
}
