// Single bits of a value in memory. Bit `index` lives in the byte at address + (index >> 3),
// bit (index & 7) of it, so 0-7 address the low byte of a little-endian integer. The caller
// keeps the index within the bytes of the value.
#pragma once

#include <cstdint>

namespace qv {

inline int32_t BitTest(const void* address, uint32_t index) {
  return (static_cast<const unsigned char*>(address)[index >> 3] >> (index & 7)) & 1;
}

inline void BitSet(void* address, uint32_t index) {
  static_cast<unsigned char*>(address)[index >> 3] |= static_cast<unsigned char>(1u << (index & 7));
}

inline void BitReset(void* address, uint32_t index) {
  static_cast<unsigned char*>(address)[index >> 3] &= static_cast<unsigned char>(~(1u << (index & 7)));
}

inline void BitToggle(void* address, uint32_t index) {
  static_cast<unsigned char*>(address)[index >> 3] ^= static_cast<unsigned char>(1u << (index & 7));
}

// Sets the bit when bit 0 of `value` is 1, clears it otherwise.
inline void BitAssign(void* address, uint32_t index, int32_t value) {
  if (value & 1) BitSet(address, index);
  else BitReset(address, index);
}

}  // namespace qv
