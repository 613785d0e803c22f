#include "user_space.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "float_integer.h"

namespace qv {

namespace {

constexpr int32_t kOutOfRange = std::numeric_limits<int32_t>::min();

int32_t Narrow(int64_t value) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return kOutOfRange;
  return static_cast<int32_t>(value);
}

struct AxisView {
  float origin, scale;
  bool flip;
  int32_t clip_start, clip_extent, current;
};

AxisView ViewOf(const UserSpace& s, Axis axis) {
  if (axis == Axis::kX) return {s.origin_x, s.scale_x, s.flip_x, s.clip_x, s.clip_width, s.current_x};
  return {s.origin_y, s.scale_y, s.flip_y, s.clip_y, s.clip_height, s.current_y};
}

// Rounded first, then mirrored and moved: the tie rule applies to the user value, not to the
// canvas pixel.
int32_t MapAbsolute(const AxisView& a, long double v) {
  if (a.scale == 0) {
    int32_t r = FloatToInteger(v);
    return r == kOutOfRange ? kOutOfRange : Narrow(int64_t{r} + a.clip_start);
  }
  int32_t r = FloatToInteger((v - a.origin) * a.scale);
  if (r == kOutOfRange) return kOutOfRange;
  int64_t p = a.flip ? int64_t{a.clip_extent} - r : int64_t{r};
  return Narrow(p + a.clip_start);
}

int32_t MapRelative(const AxisView& a, long double v) {
  int32_t r = FloatToInteger(a.scale == 0 ? v : v * a.scale);
  if (r == kOutOfRange) return kOutOfRange;
  int64_t d = (a.scale != 0 && a.flip) ? -int64_t{r} : int64_t{r};
  return Narrow(d + a.current);
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

PixelPoint MapUserPoint(const UserSpace& space, long double x, long double y, bool relative) {
  AxisView ax = ViewOf(space, Axis::kX), ay = ViewOf(space, Axis::kY);
  if (relative) return {MapRelative(ax, x), MapRelative(ay, y)};
  return {MapAbsolute(ax, x), MapAbsolute(ay, y)};
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
  float scale = ViewOf(space, axis).scale;
  return FloatToInteger(scale == 0 ? length : length * scale);
}

long double PixelsToUserLength(const UserSpace& space, int32_t pixels, Axis axis) {
  float scale = ViewOf(space, axis).scale;
  return scale == 0 ? static_cast<long double>(pixels) : pixels / static_cast<long double>(scale);
}

UserPoint PixelToUserPoint(const UserSpace& space, int32_t x, int32_t y) {
  auto back = [](const AxisView& a, int32_t p) -> long double {
    long double t = static_cast<long double>(p) - a.clip_start;
    if (a.scale == 0) return t;
    if (a.flip) t = a.clip_extent - t;
    return a.origin + t / a.scale;
  };
  return {back(ViewOf(space, Axis::kX), x), back(ViewOf(space, Axis::kY), y)};
}

}  // namespace qv
