// String operations on the calling activation's operand stack. Operations pop (and release,
// when owned) the string operands they consume and push string results as owned references.
#pragma once

#include <cstdint>
#include <cstring>

#include "dyn_string.h"
#include "frame.h"

namespace qv {

// Borrowed references stay borrowed; no copy. Inline: the renderer pushes a cell row this way
// for each of its hundreds of thousands of in-place writes.
inline void PushText(TextRef ref) {
  ProcedureFrame::Current().operands().Push(TextRef::Borrowed(ref.data()));
}
inline void PushText(const DynString& variable) { PushText(variable.Borrow()); }
void PushEmpty();
void PushOwned(DynString&& value);  // hands over the block as an owned operand
void PushOwned(TextRef owned);
void PopDiscard();

// Pops the top into a C++ value: an owned block is moved in, a borrowed one copied.
DynString PopText();

void AssignText(DynString& variable);

int32_t TextLength();     // pops the top; its length in bytes
int32_t TextLengthTop();  // the same without popping

void Concat();  // a b -> a followed by b (byte text)

// Convert one operand in place: depth 0 is the top, 1 and 2 the second and third from the top.
void ToAnsi(int depth = 0);
void ToWide(int depth = 0);

// Pops r and overwrites bytes of the variable's block with it; never changes the length.
// Inline for a borrowed r that fits inside the string whole (the renderer's 16-byte cell rows);
// everything else takes the general path.
void ReplaceInPlaceGeneral(DynString& variable, TextRef r, int32_t position, int32_t count);

inline void ReplaceInPlace(DynString& variable, int32_t position, int32_t count) {
  const TextRef r = ProcedureFrame::Current().operands().Pop();
  const uint32_t n = r.bytes();
  if (!r.owned() && n == 16 && count >= 16 && position >= 1 &&
      uint64_t(uint32_t(position)) - 1 + 16 <= variable.bytes()) {
    unsigned char piece[16];  // by value, in case r lies inside the variable's own block
    std::memcpy(piece, r.data(), 16);
    std::memcpy(variable.data() + (position - 1), piece, 16);
    return;
  }
  ReplaceInPlaceGeneral(variable, r, position, count);
}

// The calling thread's conversion code page (0 = system ANSI code page).
uint32_t CodePageSet(uint32_t code_page);  // returns the previous one
uint32_t CodePageGet();

// Releases the program's global string variables (at shutdown).
void ReleaseGlobals();

}  // namespace qv
