#include "frame.h"

#include "error.h"
#include "platform/platform.h"

namespace qv {

void OperandStack::ReleaseLeftovers() {
  while (depth_ > 0) slots_[--depth_].Release();
}

void OperandStack::Overflow(TextRef ref) {
  ref.Release();
  RaiseError(kErrorFatalOperandStack);
  platform::ExitProcessNow(255);  // not reached: the number is fatal
}

void OperandStack::Underflow() {
  RaiseError(kErrorFatalOperandStack);
  platform::ExitProcessNow(255);  // not reached
}

TextRef* OperandStack::Slot(int depth) {
  if (depth < 0 || depth >= depth_) return nullptr;
  return &slots_[depth_ - 1 - depth];
}

ProcedureFrame::ProcedureFrame(BaseTag) {}

ProcedureFrame& ProcedureFrame::Base() {
  thread_local ProcedureFrame base{BaseTag{}};
  return base;
}

void LoadFpuControlWord() {
#if defined(__x86_64__) || defined(__i386__)
  uint16_t word = kFpuControlWord;
  __asm__ volatile("fldcw %0" : : "m"(word));
#endif
}

}  // namespace qv
