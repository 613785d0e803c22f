#include "frame.h"

#include "error.h"
#include "platform/platform.h"

namespace qv {

namespace {
ProcedureFrame* Innermost() { return static_cast<ProcedureFrame*>(platform::CurrentFrameGet()); }
}  // namespace

OperandStack::~OperandStack() {
  while (depth_ > 0) slots_[--depth_].Release();
}

void OperandStack::Push(TextRef ref) {
  if (depth_ == kSlots) {
    ref.Release();
    RaiseError(kErrorFatalOperandStack);  // does not return
    return;
  }
  slots_[depth_++] = ref;
}

TextRef OperandStack::Pop() {
  if (depth_ == 0) {
    RaiseError(kErrorFatalOperandStack);  // does not return
    return TextRef();
  }
  TextRef top = slots_[--depth_];
  slots_[depth_] = TextRef();
  return top;
}

TextRef* OperandStack::Slot(int depth) {
  if (depth < 0 || depth >= depth_) return nullptr;
  return &slots_[depth_ - 1 - depth];
}

ProcedureFrame::ProcedureFrame() : caller_(Innermost()), linked_(true) { platform::CurrentFrameSet(this); }

ProcedureFrame::ProcedureFrame(BaseTag) {}

ProcedureFrame::~ProcedureFrame() {
  if (linked_) platform::CurrentFrameSet(caller_);
}

ProcedureFrame& ProcedureFrame::Current() {
  if (ProcedureFrame* innermost = Innermost()) return *innermost;
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
