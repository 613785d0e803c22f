// How often a needle occurs in a text (non-overlapping, left to right), or how many units of
// the text occur in a set; 0 for an empty text or needle. Operands, pushed in this order:
// text, then needle or set (both consumed). The plain names take wide text, the Bytes forms
// byte text.
#pragma once

#include <cstdint>

namespace qv {

int32_t CountOccurrences();
int32_t CountOccurrencesAny();
int32_t CountOccurrencesBytes();
int32_t CountOccurrencesAnyBytes();

}  // namespace qv
