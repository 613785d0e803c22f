// The BMP file SurfaceSaveBitmap writes: a 54-byte header (file header and a 40-byte info
// header), then 24-bit pixels blue, green, red, bottom row first, each row padded with zero
// bytes to a multiple of 4. All integers little-endian.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace qv {

constexpr uint32_t kBitmapHeaderBytes = 54;
using BitmapHeader = std::array<uint8_t, kBitmapHeaderBytes>;

// Bytes of one stored row of a 24-bit picture `width` pixels wide (0 for width <= 0 or a row
// beyond 32 bits).
uint32_t BitmapRowBytes(int32_t width);

// The header of a width x height picture; nullopt when either is not positive or the file
// would not fit the 32-bit file-size field.
std::optional<BitmapHeader> BitmapFileHeader(int32_t width, int32_t height);

}  // namespace qv
