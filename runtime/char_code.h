// The unit at a 1-based position of a text, and its in-place write companions. A negative
// position counts from the end (-1 is the last unit); positions outside the text read as -1
// and write nothing.
#pragma once

#include <cstdint>

#include "dyn_string.h"

namespace qv {

int32_t CharCodeAt(int32_t position);      // pops a byte text: the byte 0-255, or -1
int32_t CharCodeAtWide(int32_t position);  // pops a wide text: the code unit, or -1

// Overwrite one byte (the low 8 bits of value) or code unit (the low 16 bits) of the variable.
void CharCodeWrite(DynString& variable, int32_t position, int32_t value);
void CharCodeWriteWide(DynString& variable, int32_t position, int32_t value);

}  // namespace qv
