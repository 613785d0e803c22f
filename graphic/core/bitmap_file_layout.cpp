#include "bitmap_file_layout.h"

namespace qv {

namespace {

void Put(BitmapHeader& h, uint32_t offset, uint32_t value, uint32_t size) {
  for (uint32_t i = 0; i < size; ++i) h[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t RowBytes(int32_t width) { return width <= 0 ? 0 : (uint64_t{static_cast<uint32_t>(width)} * 3 + 3) / 4 * 4; }

}  // namespace

uint32_t BitmapRowBytes(int32_t width) {
  uint64_t bytes = RowBytes(width);
  return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

std::optional<BitmapHeader> BitmapFileHeader(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  uint64_t file_size = RowBytes(width) * static_cast<uint32_t>(height) + kBitmapHeaderBytes;
  if (file_size > UINT32_MAX) return std::nullopt;
  BitmapHeader h{};
  h[0] = 'B';
  h[1] = 'M';
  Put(h, 2, static_cast<uint32_t>(file_size), 4);
  Put(h, 10, kBitmapHeaderBytes, 4);
  Put(h, 14, 40, 4);
  Put(h, 18, static_cast<uint32_t>(width), 4);
  Put(h, 22, static_cast<uint32_t>(height), 4);
  Put(h, 26, 1, 2);
  Put(h, 28, 24, 2);
  return h;  // compression, image size, resolutions and colour counts stay 0
}

}  // namespace qv
