// The text after the first occurrence of a needle (or of a single unit of a set) found forward
// from a 1-based start; a negative start is counted from the end. Empty when there is none.
//
// Operands, pushed in this order: text, then needle (or set); both are consumed and the result
// is pushed as an owned text. The plain names take byte text, the Wide forms wide text.
#pragma once

#include <cstdint>

namespace qv {

void TextAfter(int32_t start);
void TextAfterAny(int32_t start);
void TextAfterWide(int32_t start);
void TextAfterAnyWide(int32_t start);

}  // namespace qv
