// ProcedureFrame: the activation record every procedure of the program makes on entry. It
// carries the procedure's operand stack, its error word and its function result. Run-time
// operations work in the innermost frame of the calling thread, so an error raised by an
// operation belongs to the procedure that called it and to no other.
#pragma once

#include <cstdint>

#include "dyn_string.h"
#include "platform/platform.h"

namespace qv {

// Up to five string operands per activation, pushed in source order: for an operation of two
// strings the first operand is below the top and the second is the top.
class OperandStack {
 public:
  static constexpr int kSlots = 5;

  OperandStack() = default;
  OperandStack(const OperandStack&) = delete;
  OperandStack& operator=(const OperandStack&) = delete;
  ~OperandStack() {
    if (depth_ > 0) ReleaseLeftovers();  // owned leftovers are released
  }

  // A sixth outstanding operand, or a pop from an empty stack, is a fault in the program: it
  // raises the fatal error 243 rather than touch memory outside the five slots.
  void Push(TextRef ref) {
    if (depth_ == kSlots) Overflow(ref);
    slots_[depth_++] = ref;
  }
  TextRef Pop() {
    if (depth_ == 0) Underflow();
    TextRef top = slots_[--depth_];
    slots_[depth_] = TextRef();
    return top;
  }
  // The slot `depth` places below the top (0 = top); null when there is no such slot.
  TextRef* Slot(int depth);
  int depth() const { return depth_; }

 private:
  void ReleaseLeftovers();
  [[noreturn]] static void Overflow(TextRef ref);
  [[noreturn]] static void Underflow();

  TextRef slots_[kSlots];
  int depth_ = 0;
};

// Inline, as a procedure's entry and exit: the renderer makes one per painted cell.
class ProcedureFrame {
 public:
  ProcedureFrame() : caller_(static_cast<ProcedureFrame*>(platform::CurrentFrameGet())), linked_(true) {
    platform::CurrentFrameSet(this);
  }
  ~ProcedureFrame() {
    if (linked_) platform::CurrentFrameSet(caller_);
  }
  ProcedureFrame(const ProcedureFrame&) = delete;
  ProcedureFrame& operator=(const ProcedureFrame&) = delete;

  // The innermost activation of the calling thread. A thread that has entered no procedure
  // works in a base activation of its own.
  static ProcedureFrame& Current() {
    auto* innermost = static_cast<ProcedureFrame*>(platform::CurrentFrameGet());
    return innermost ? *innermost : Base();
  }

  OperandStack& operands() { return operands_; }
  uint16_t error_word() const { return error_word_; }
  uint8_t error_number() const { return static_cast<uint8_t>(error_word_ & 0xFF); }
  void set_error_word(uint16_t word) { error_word_ = word; }
  int32_t result() const { return result_; }
  void set_result(int32_t value) { result_ = value; }

 private:
  struct BaseTag {};
  explicit ProcedureFrame(BaseTag);
  static ProcedureFrame& Base();
  static void ReleaseBase();

  OperandStack operands_;
  uint16_t error_word_ = 0;
  int32_t result_ = 0;
  ProcedureFrame* caller_ = nullptr;
  bool linked_ = false;
};

// Loads the floating-point control word 0x133F: 64-bit precision, round to nearest-even, all
// exceptions masked.
void LoadFpuControlWord();
constexpr uint16_t kFpuControlWord = 0x133F;

}  // namespace qv
