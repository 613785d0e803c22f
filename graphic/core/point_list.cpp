#include "point_list.h"

#include <cstring>

namespace qv {

std::optional<PointList> PointList::Read(const unsigned char* block, uint32_t bytes) {
  if (!block || bytes < 4) return std::nullopt;
  uint32_t count;
  std::memcpy(&count, block, 4);
  if (count < kPointListMin || count > kPointListMax) return std::nullopt;
  if (bytes - 4 < 8u * count) return std::nullopt;
  return PointList(block + 4, count);
}

float PointList::Coordinate(uint32_t i, uint32_t which) const {
  float v = 0;
  if (i < count_) std::memcpy(&v, points_ + 8u * i + 4u * which, 4);
  return v;
}

}  // namespace qv
