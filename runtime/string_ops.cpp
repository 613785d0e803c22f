#include "string_ops.h"

#include <algorithm>

#include "code_page_flags.h"
#include "error.h"
#include "frame.h"
#include "platform/platform.h"
#include "runtime_state.h"
#include "thread_record.h"

namespace qv {

namespace {

OperandStack& Operands() { return ProcedureFrame::Current().operands(); }

// Pixel writes (4 bytes) and cell rows (16) come by the hundred thousand: copy those sizes
// through registers, inline, rather than through the C library's memmove. Both are safe with
// overlap, as memmove is.
template <size_t N>
void CopyFixed(unsigned char* to, const unsigned char* from) {
  unsigned char piece[N];
  std::memcpy(piece, from, N);
  std::memcpy(to, piece, N);
}

void CopyInto(unsigned char* to, const unsigned char* from, size_t n) {
  if (n == 16) return CopyFixed<16>(to, from);
  if (n == 4) return CopyFixed<4>(to, from);
  std::memmove(to, from, n);
}

}  // namespace

void PushOwned(TextRef owned) { Operands().Push(owned); }

void PushEmpty() { Operands().Push(TextRef()); }

void PushOwned(DynString&& value) { Operands().Push(value.Release()); }

void PopDiscard() { Operands().Pop().Release(); }

DynString PopText() { return DynString::Adopt(Operands().Pop()); }

void AssignText(DynString& variable) {
  TextRef t = Operands().Pop();
  if (t.owned()) {
    variable.Reset(t.data());
    return;
  }
  uint32_t n = t.bytes();
  if (n == 0) {
    variable.Reset();
    return;
  }
  if (variable.bytes() == n) {
    std::memmove(variable.data(), t.data(), n);  // the source may be the variable itself
    return;
  }
  unsigned char* block = AllocateBytes(n);  // raises 7 on failure; the variable then ends empty
  if (block) std::memcpy(block, t.data(), n);
  variable.Reset(block);
}

int32_t TextLength() {
  TextRef top = Operands().Pop();
  int32_t n = static_cast<int32_t>(top.bytes());
  top.Release();
  return n;
}

int32_t TextLengthTop() {
  TextRef* top = Operands().Slot(0);
  return top ? static_cast<int32_t>(top->bytes()) : 0;
}

void Concat() {
  OperandStack& stack = Operands();
  TextRef b = stack.Pop();
  if (stack.depth() == 0) {
    b.Release();
    RaiseError(kErrorFatalOperandStack);  // does not return
    return;
  }
  TextRef* slot_a = stack.Slot(0);
  TextRef a = *slot_a;
  uint32_t la = a.bytes(), lb = b.bytes();
  if (lb == 0) {
    b.Release();
    return;
  }
  if (la == 0) {
    a.Release();
    *slot_a = b;
    return;
  }
  unsigned char* block = (uint64_t{la} + lb > UINT32_MAX) ? nullptr : TryAllocateBytes(la + lb);
  if (block) {
    std::memcpy(block, a.data(), la);
    std::memcpy(block + la, b.data(), lb);
  } else {
    RaiseError(kErrorOutOfMemory);
  }
  a.Release();
  b.Release();
  *slot_a = TextRef::Owned(block);
}

namespace {

uint32_t ThreadCodePage() {
  ThreadRecord* record = ThreadRecordGet();
  return record ? record->code_page : 0;
}

// Converts the slot's text with the thread's code page; a failed measure or allocation gives
// the empty string, no error.
template <typename Convert>
void ConvertSlot(int depth, Convert convert) {
  TextRef* slot = Operands().Slot(depth);
  if (!slot || slot->null()) return;
  TextRef old = *slot;
  *slot = TextRef::Owned(convert(old, CodePageResolve(ThreadCodePage(), platform::SymbolicCodePage)));
  old.Release();
}

}  // namespace

void ToAnsi(int depth) {
  ConvertSlot(depth, [](TextRef src, uint32_t cp) -> unsigned char* {
    if (src.units() == 0 || src.units() > INT32_MAX) return nullptr;
    auto units = reinterpret_cast<const char16_t*>(src.data());
    const int n = static_cast<int>(src.units());
    const uint32_t flags = WideToBytesFlags(cp);
    const int need = platform::WideToBytes(cp, flags, units, n, nullptr, 0);
    if (need <= 0) return nullptr;
    unsigned char* block = TryAllocateBytes(uint32_t(need));
    if (block && platform::WideToBytes(cp, flags, units, n, block, need) != need) {
      ReleaseBlock(block);
      return nullptr;
    }
    return block;
  });
}

void ToWide(int depth) {
  ConvertSlot(depth, [](TextRef src, uint32_t cp) -> unsigned char* {
    if (src.bytes() == 0 || src.bytes() > INT32_MAX) return nullptr;
    const int n = static_cast<int>(src.bytes());
    const uint32_t flags = BytesToWideFlags(cp);
    const int need = platform::BytesToWide(cp, flags, src.data(), n, nullptr, 0);
    if (need <= 0) return nullptr;
    unsigned char* block = TryAllocateUnits(uint32_t(need));
    if (block && platform::BytesToWide(cp, flags, src.data(), n, reinterpret_cast<char16_t*>(block), need) != need) {
      ReleaseBlock(block);
      return nullptr;
    }
    return block;
  });
}

void ReplaceInPlaceGeneral(DynString& variable, TextRef r, int32_t position, int32_t count) {
  const int64_t length = variable.bytes();
  int64_t p = position;
  int64_t k = count;
  if (p < 0) p = length + p + 1;
  if (k < 0) k += length;
  if (p >= 1 && k >= 0 && p - 1 <= length) {
    k = std::min({k, int64_t{r.bytes()}, length - (p - 1)});
    if (k > 0) CopyInto(variable.data() + (p - 1), r.data(), size_t(k));
  }
  r.Release();
}

uint32_t CodePageSet(uint32_t code_page) {
  ThreadRecord* record = ThreadRecordGet();
  if (!record) return 0;
  uint32_t previous = record->code_page;
  record->code_page = code_page;
  return previous;
}

uint32_t CodePageGet() { return ThreadCodePage(); }

void ReleaseGlobals() {
  for (DynString* variable : Runtime().globals)
    if (variable) variable->Reset();
}

}  // namespace qv
