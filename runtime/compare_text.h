// Order of two wide texts by their code units as unsigned 16-bit numbers, then by length; no
// case folding and no locale rules. Operands, pushed in this order: a, then b (both consumed).
#pragma once

#include <cstdint>

namespace qv {

int32_t CompareText();       // -1: a < b, 0: a = b, 1: a > b
int32_t CompareTextBytes();  // the same for byte texts, bytes as unsigned 8-bit numbers

}  // namespace qv
