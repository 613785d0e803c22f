#include "box_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "pixel_round.h"

namespace qv {

namespace {

constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
constexpr uint32_t kFullCorner = 100;
constexpr long double kRadialLength = 5000;

int32_t OrderedLow(int32_t a, int32_t b) { return static_cast<uint32_t>(a) <= static_cast<uint32_t>(b) ? a : b; }
int32_t OrderedHigh(int32_t a, int32_t b) { return static_cast<uint32_t>(a) <= static_cast<uint32_t>(b) ? b : a; }

int32_t Grow(int32_t v, int e) { return static_cast<int32_t>(std::min<int64_t>(int64_t{v} + e, kMax)); }

int32_t Clamp(int64_t v) { return static_cast<int32_t>(std::min(v, kMax)); }

PixelPoint Radial(long double cx, long double cy, long double angle) {
  return {PixelRound(cx + kRadialLength * std::cos(angle)), PixelRound(cy - kRadialLength * std::sin(angle))};
}

}  // namespace

BoxShape BoxGeometry(PixelPoint a, PixelPoint b, uint32_t corner, bool inclusive) {
  int e = inclusive ? 1 : 0;
  BoxShape box;
  box.left = OrderedLow(a.x, b.x);
  box.top = OrderedLow(a.y, b.y);
  box.right = Grow(OrderedHigh(a.x, b.x), e);
  box.bottom = Grow(OrderedHigh(a.y, b.y), e);
  int64_t w = std::llabs(int64_t{box.right} - box.left);
  int64_t h = std::llabs(int64_t{box.bottom} - box.top);
  if (corner == kCornerEllipse) {
    box.corner_width = Clamp(w + 1);
    box.corner_height = Clamp(h + 1);
  } else {
    int64_t percent = std::min(corner, kFullCorner);
    box.corner_width = box.corner_height = Clamp(percent * std::min(w, h) / 100);
  }
  return box;
}

ArcRadials ArcRadialPoints(PixelPoint a, PixelPoint b, long double start_angle, long double end_angle) {
  long double cx = (static_cast<long double>(a.x) + b.x + 1) * 0.5L;
  long double cy = (static_cast<long double>(a.y) + b.y + 1) * 0.5L;
  return {Radial(cx, cy, start_angle), Radial(cx, cy, end_angle)};
}

}  // namespace qv
