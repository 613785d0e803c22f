// Position of a needle (or of any unit of a set) in a text, 1-based, 0 when not found. A
// positive start searches forward from that position; a negative start searches backward for
// the last match that ends at or before position L + start + 1 (-1: the whole text).
//
// Operands, pushed in this order: text, then needle (or set); both are consumed. The plain
// names take byte text, the Wide forms wide text.
#pragma once

#include <cstdint>

namespace qv {

int32_t FindText(int32_t start);
int32_t FindAnyChar(int32_t start);
int32_t FindTextWide(int32_t start);
int32_t FindAnyCharWide(int32_t start);

}  // namespace qv
