#include "fixed_images.h"

#include <cstring>
#include <string_view>

#include "float_integer.h"
#include "text_operands.h"

namespace qv {

namespace {

void PushLittleEndian(uint64_t value, size_t width) {
  char bytes[8];
  for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  PushCopy(std::string_view(bytes, width));
}

template <typename T>
void PushImage(const T& value, size_t width = sizeof(T)) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  PushCopy(std::string_view(bytes, width));
}

uint64_t Rounded64(long double value) { return static_cast<uint64_t>(FloatToQuad(value)); }

}  // namespace

void PackByte(int32_t value) { PushLittleEndian(static_cast<uint32_t>(value), 1); }
void PackWord(int32_t value) { PushLittleEndian(static_cast<uint32_t>(value), 2); }
void PackLong(int32_t value) { PushLittleEndian(static_cast<uint32_t>(value), 4); }
void PackUnsignedLong(long double value) { PushLittleEndian(Rounded64(value), 4); }
void PackSingle(long double value) { PushImage(static_cast<float>(value)); }
void PackQuad(long double value) { PushLittleEndian(Rounded64(value), 8); }
void PackDouble(long double value) { PushImage(static_cast<double>(value)); }
void PackCurrency(long double value) { PushLittleEndian(Rounded64(value * 10000), 8); }
void PackExtendedCurrency(long double value) { PushLittleEndian(Rounded64(value * 100), 8); }
void PackExtended(long double value) { PushImage(value, 10); }

}  // namespace qv
