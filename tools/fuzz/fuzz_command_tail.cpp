// The command tail of any command line, and every argument of it: each argument is a piece of
// the tail, holds no blank unless it was quoted, and the walk ends.
#include <string>

#include "command_args.h"
#include "command_tail.h"
#include "frame.h"
#include "fuzz_input.h"
#include "runtime_state.h"
#include "string_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  std::u16string line;
  for (size_t i = 0; i + 1 < size; i += 2) {
    // Small units are common on command lines: fold most bytes onto the interesting ones.
    const char16_t u = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    line.push_back(u == 0 ? u'x' : u);
  }
  const char16_t* tail = LocateCommandTail(line.c_str());
  const std::u16string_view tail_view(tail);
  fuzz::Check(tail >= line.c_str() && tail <= line.c_str() + line.size());

  ProcedureFrame frame;
  const char16_t* saved = Runtime().command_tail;
  Runtime().command_tail = tail;
  CommandTail(0);
  fuzz::Check(PopText().wide() == tail_view);
  for (int32_t n = 1;; ++n) {
    CommandTail(n);
    const std::u16string arg = PopText().wide();
    if (arg.empty()) {
      fuzz::Check(CommandArgument(tail_view, n + 1).empty());
      break;
    }
    fuzz::Check(tail_view.find(arg) != std::u16string_view::npos);
    fuzz::Check(n <= static_cast<int32_t>(tail_view.size()));
  }
  CommandTail(-1);
  fuzz::Check(PopText().empty());
  Runtime().command_tail = saved;
  fuzz::Check(frame.operands().depth() == 0);
  return 0;
}
