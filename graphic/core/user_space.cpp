#include "user_space.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "pixel_round.h"

namespace qv {

namespace {

constexpr int32_t kOutOfRange = std::numeric_limits<int32_t>::min();

int32_t Narrow(int64_t value) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return kOutOfRange;
  return static_cast<int32_t>(value);
}

// Rounded first, then mirrored and moved: the tie rule applies to the user value, not to the
// canvas pixel.
inline int32_t MapAbsolute(long double v, float origin, float scale, bool flip, int32_t clip_start,
                           int32_t clip_extent) {
  int32_t r = PixelRound(scale == 0 ? v : (v - origin) * scale);
  if (r == kOutOfRange) return kOutOfRange;
  int64_t p = (scale != 0 && flip) ? int64_t{clip_extent} - r : int64_t{r};
  return Narrow(p + clip_start);
}

inline int32_t MapRelative(long double v, float scale, bool flip, int32_t current) {
  int32_t r = PixelRound(scale == 0 ? v : v * scale);
  if (r == kOutOfRange) return kOutOfRange;
  int64_t d = (scale != 0 && flip) ? -int64_t{r} : int64_t{r};
  return Narrow(d + current);
}

struct AxisScale {
  float origin, scale;
  bool flip;
};

AxisScale ScaleAxis(long double v1, long double v2, int32_t clip_extent, int e) {
  bool ascending = v1 < v2;
  long double span = std::fabs(v2 - v1);
  return {ToFloat32(ascending ? v1 : v2), ToFloat32((static_cast<long double>(clip_extent) - e) / span), !ascending};
}

}  // namespace

float ToFloat32(long double value) {
  // Above FLT_MAX + half an ulp the unit overflows to infinity; between, it rounds to FLT_MAX.
  constexpr long double kOverflow = 0x1p128L - 0x1p103L;
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (std::fabs(value) >= kOverflow) return value > 0 ? std::numeric_limits<float>::infinity()
                                                      : -std::numeric_limits<float>::infinity();
  if (std::fabs(value) > FLT_MAX) return value > 0 ? FLT_MAX : -FLT_MAX;
  return static_cast<float>(value);
}

PixelPoint MapUserPoint(const UserSpace& s, long double x, long double y, bool relative) {
  if (relative)
    return {MapRelative(x, s.scale_x, s.flip_x, s.current_x), MapRelative(y, s.scale_y, s.flip_y, s.current_y)};
  return {MapAbsolute(x, s.origin_x, s.scale_x, s.flip_x, s.clip_x, s.clip_width),
          MapAbsolute(y, s.origin_y, s.scale_y, s.flip_y, s.clip_y, s.clip_height)};
}

bool ScaleUserSpace(UserSpace& space, long double x1, long double y1, long double x2, long double y2,
                    bool inclusive) {
  if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return false;
  if (x1 == x2 || y1 == y2) return false;
  int e = inclusive ? 1 : 0;
  AxisScale sx = ScaleAxis(x1, x2, space.clip_width, e);
  AxisScale sy = ScaleAxis(y1, y2, space.clip_height, e);
  space.origin_x = sx.origin;
  space.scale_x = sx.scale;
  space.flip_x = sx.flip;
  space.origin_y = sy.origin;
  space.scale_y = sy.scale;
  space.flip_y = sy.flip;
  if (sx.origin == 0 && sy.origin == 0 && sx.scale == 1.0f && sy.scale == 1.0f && !sx.flip && !sy.flip)
    space.scale_x = space.scale_y = 0;
  return true;
}

int32_t UserLengthToPixels(const UserSpace& space, long double length, Axis axis) {
  float scale = axis == Axis::kX ? space.scale_x : space.scale_y;
  return PixelRound(scale == 0 ? length : length * scale);
}

long double PixelsToUserLength(const UserSpace& space, int32_t pixels, Axis axis) {
  float scale = axis == Axis::kX ? space.scale_x : space.scale_y;
  return scale == 0 ? static_cast<long double>(pixels) : pixels / static_cast<long double>(scale);
}

UserPoint PixelToUserPoint(const UserSpace& s, int32_t x, int32_t y) {
  auto back = [](int32_t p, float origin, float scale, bool flip, int32_t clip_start, int32_t clip_extent) {
    long double t = static_cast<long double>(p) - clip_start;
    if (scale == 0) return t;
    if (flip) t = clip_extent - t;
    return origin + t / scale;
  };
  return {back(x, s.origin_x, s.scale_x, s.flip_x, s.clip_x, s.clip_width),
          back(y, s.origin_y, s.scale_y, s.flip_y, s.clip_y, s.clip_height)};
}

}  // namespace qv
