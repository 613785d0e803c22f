// Colour values: 0x00BBGGRR as the windowing system takes them, and the 0x00RRGGBB order whose
// little-endian bytes are a pixel of a PixelString (blue, green, red, unused).
#pragma once

#include <cstdint>

namespace qv {

// Bytes 0 and 2 exchanged, byte 3 cleared: 0x00BBGGRR <-> 0x00RRGGBB.
constexpr int32_t SwapRedBlue(int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  return static_cast<int32_t>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

constexpr uint32_t ClampComponent(int32_t c) {
  return c < 0 ? 0u : c > 255 ? 255u : static_cast<uint32_t>(c);
}

// red + green * 256 + blue * 65536, each component clamped to 0-255.
constexpr int32_t ColourCompose(int32_t red, int32_t green, int32_t blue) {
  return static_cast<int32_t>(ClampComponent(red) | (ClampComponent(green) << 8) |
                              (ClampComponent(blue) << 16));
}

// red * 65536 + green * 256 + blue, each component clamped to 0-255.
constexpr int32_t PixelCompose(int32_t red, int32_t green, int32_t blue) {
  return static_cast<int32_t>((ClampComponent(red) << 16) | (ClampComponent(green) << 8) |
                              ClampComponent(blue));
}

}  // namespace qv
