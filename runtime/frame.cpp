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

namespace {

// The base activations, one per thread, in a slot of their own (no C++ thread_local: platform.h).
uint32_t BaseSlot() {
  static const uint32_t slot = [] {
    uint32_t index = 0;
    if (!platform::TlsSlotAlloc(index)) platform::ExitProcessNow(255);
    return index;
  }();
  return slot;
}

}  // namespace

// Gives the thread's base activation back (its leftover operands) as the thread ends.
void ProcedureFrame::ReleaseBase() {
  auto* base = static_cast<ProcedureFrame*>(platform::TlsSlotGet(BaseSlot()));
  platform::TlsSlotSet(BaseSlot(), nullptr);
  delete base;
}

ProcedureFrame& ProcedureFrame::Base() {
  static const bool registered = (platform::ThreadEndAdd(ReleaseBase), true);
  (void)registered;
  if (auto* base = static_cast<ProcedureFrame*>(platform::TlsSlotGet(BaseSlot()))) return *base;
  auto* base = new ProcedureFrame(BaseTag{});
  platform::TlsSlotSet(BaseSlot(), base);
  platform::ThreadEndArm();
  return *base;
}

void LoadFpuControlWord() {
#if defined(__x86_64__) || defined(__i386__)
  uint16_t word = kFpuControlWord;
  __asm__ volatile("fldcw %0" : : "m"(word));
#endif
}

}  // namespace qv
