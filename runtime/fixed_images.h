// Fixed-width little-endian images of numbers as byte texts: each pushes an owned result of
// exactly its width (the empty text, with error 7, when it cannot be allocated).
#pragma once

#include <cstdint>

namespace qv {

void PackByte(int32_t value);                  // 1 byte: the low byte
void PackWord(int32_t value);                  // 2 bytes: the low 16 bits
void PackLong(int32_t value);                  // 4 bytes
void PackUnsignedLong(long double value);      // 4 bytes: low half of the value rounded to 64 bits
void PackSingle(long double value);            // 4 bytes: IEEE single
void PackQuad(long double value);              // 8 bytes: the value rounded to 64 bits
void PackDouble(long double value);            // 8 bytes: IEEE double
void PackCurrency(long double value);          // 8 bytes: value * 10000 rounded to 64 bits
void PackExtendedCurrency(long double value);  // 8 bytes: value * 100 rounded to 64 bits
void PackExtended(long double value);          // 10 bytes: the 80-bit extended value

}  // namespace qv
