// TokenCount/TokenField and their Any forms, wide and byte, in delimiter and comma mode: the
// fields put back together with their separators give the text again, negative field numbers
// name the same fields from the end, and comma-mode fields are pieces of the text.
#include <string>

#include "frame.h"
#include "fuzz_input.h"
#include "string_ops.h"
#include "tokens.h"

namespace {

using namespace qv;
using fuzz::Pop;
using fuzz::Push;

template <typename Str>
struct Ops {
  int32_t (*count)();
  void (*field)(int32_t);
};

template <typename Str>
void Exercise(const Str& text, const Str& sep, bool any, int32_t extra_n, Ops<Str> ops) {
  Push(text);
  Push(sep);
  const int32_t count = ops.count();
  fuzz::Check(count >= 1);
  auto field = [&](int32_t n) {
    Push(text);
    Push(sep);
    ops.field(n);
    return Pop<Str>();
  };
  Push(text);
  Push(sep);
  ops.field(extra_n);  // any number at all
  PopDiscard();
  fuzz::Check(field(0).empty() || (any && sep.empty()));
  fuzz::Check(field(count + 1).empty() || (any && sep.empty()));
  if (count > 64) return;

  Str joined;
  for (int32_t n = 1; n <= count; ++n) {
    const Str f = field(n);
    fuzz::Check(f == field(n - count - 1));
    if (!any && sep.empty()) {
      fuzz::Check(text.find(f) != Str::npos);
      continue;
    }
    if (n > 1) {
      if (any) {
        fuzz::Check(joined.size() < text.size());
        joined.push_back(text[joined.size()]);  // the separator unit that stood here
        fuzz::Check(sep.find(joined.back()) != Str::npos);
      } else {
        joined += sep;
      }
    }
    joined += f;
  }
  if (any || !sep.empty()) fuzz::Check(any && sep.empty() ? field(1) == text : joined == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const uint8_t mode = in.Byte();
  const int32_t n = in.Position();
  ProcedureFrame frame;
  const bool any = mode & 1;
  if (mode & 2) {
    const std::u16string sep = in.Units();
    const std::u16string text = in.Units();
    Exercise<std::u16string>(text, sep, any, n,
                             any ? Ops<std::u16string>{TokenCountAny, TokenFieldAny}
                                 : Ops<std::u16string>{TokenCount, TokenField});
  } else {
    const std::string sep = in.Bytes();
    const std::string text = in.Rest();
    Exercise<std::string>(text, sep, any, n,
                          any ? Ops<std::string>{TokenCountAnyBytes, TokenFieldAnyBytes}
                              : Ops<std::string>{TokenCountBytes, TokenFieldBytes});
  }
  fuzz::Check(frame.operands().depth() == 0);
  return 0;
}
