// Point lists of SurfacePolygon and SurfacePolyline: a memory block holding a 32-bit count n
// followed by n pairs of float32 (x, y), little-endian, not necessarily aligned.
#pragma once

#include <cstdint>
#include <optional>

namespace qv {

constexpr uint32_t kPointListMin = 2, kPointListMax = 1024;

class PointList {
 public:
  // The list in a block of `bytes` bytes; nullopt when the count is outside 2-1024 or the
  // block is shorter than the count claims (nothing is then read beyond the block).
  static std::optional<PointList> Read(const unsigned char* block, uint32_t bytes);

  uint32_t count() const { return count_; }
  float x(uint32_t i) const { return Coordinate(i, 0); }
  float y(uint32_t i) const { return Coordinate(i, 1); }

 private:
  PointList(const unsigned char* points, uint32_t count) : points_(points), count_(count) {}
  float Coordinate(uint32_t i, uint32_t which) const;

  const unsigned char* points_;
  uint32_t count_;
};

}  // namespace qv
