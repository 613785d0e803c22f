// A program with a scripted main routine for the start-up tests. Its command tail picks what
// main does: "result N" returns N, "zero" raises error 0 and returns the number seen, "fatal N" raises N and would return 3 if still alive,
// "overflow" pushes a sixth operand and "underflow" pops from an empty stack (both return 3 if
// the process survives).
#include <cstdlib>
#include <string>

#include "error.h"
#include "frame.h"
#include "string_ops.h"
#include "text_literal.h"
#include "win32/startup.h"

namespace {

int32_t ProbeMain(void*, void*, const char16_t* tail, int32_t) {
  std::u16string command(tail);
  auto number_after = [&](size_t at) { return std::wcstol(reinterpret_cast<const wchar_t*>(command.c_str() + at), nullptr, 10); };
  if (command.rfind(u"result ", 0) == 0) return number_after(7);
  if (command == u"zero") {
    qv::RaiseError(0);
    return qv::ErrorNumber();
  }
  if (command.rfind(u"fatal ", 0) == 0) {
    qv::RaiseError(static_cast<uint32_t>(number_after(6)));
    return 3;
  }
  if (command == u"overflow") {
    static constexpr auto kOperand = qv::Text("x");
    for (int i = 0; i < 6; ++i) qv::PushText(kOperand);
    return 3;
  }
  if (command == u"underflow") {
    qv::PopDiscard();
    return 3;
  }
  return 0;
}

}  // namespace

int main() {
  qv::Program program;
  program.main_routine = ProbeMain;
  qv::StartUp(program);
}
