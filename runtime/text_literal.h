// Program literals in string-block layout (length word, bytes, two zero bytes), so they can be
// pushed as borrowed references without a copy. Declare them static constexpr:
//   static constexpr auto kPort = Text("PORT");      byte text
//   static constexpr auto kSpace = WideText(u" ");  wide text
#pragma once

#include <cstddef>
#include <cstdint>

#include "dyn_string.h"

namespace qv {

template <size_t Bytes>
struct TextLiteral {
  alignas(8) uint32_t length;
  unsigned char bytes[Bytes + 2];

  TextRef ref() const { return TextRef::Borrowed(bytes); }
  operator TextRef() const { return ref(); }
};
static_assert(offsetof(TextLiteral<1>, bytes) == 4, "the length word sits just before the data");

template <size_t N>
consteval TextLiteral<N - 1> Text(const char (&s)[N]) {
  TextLiteral<N - 1> lit{};
  lit.length = N - 1;
  for (size_t i = 0; i + 1 < N; ++i) lit.bytes[i] = static_cast<unsigned char>(s[i]);
  return lit;
}

template <size_t N>
consteval TextLiteral<2 * (N - 1)> WideText(const char16_t (&s)[N]) {
  TextLiteral<2 * (N - 1)> lit{};
  lit.length = 2 * (N - 1);
  for (size_t i = 0; i + 1 < N; ++i) {
    lit.bytes[2 * i] = static_cast<unsigned char>(s[i] & 0xFF);
    lit.bytes[2 * i + 1] = static_cast<unsigned char>(s[i] >> 8);
  }
  return lit;
}

}  // namespace qv
