#include "pen_dashes.h"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

// The platform's patterns for thin pens: lengths of dash, gap, dash, gap... (24 or 6 pixels).
struct Pattern {
  int count;
  int lengths[6];
  int whole;
};
constexpr Pattern kPatterns[4] = {
    {2, {18, 6}, 24},               // dash
    {2, {3, 3}, 6},                 // dot
    {4, {9, 6, 3, 6}, 24},          // dash-dot
    {6, {9, 3, 3, 3, 3, 3}, 24},    // dash-dot-dot
};

}  // namespace

bool OnDash(int32_t style, int64_t step) {
  if (style <= kPenSolid || style > kPenDashDotDot) return true;
  const Pattern& p = kPatterns[style - 1];
  int64_t at = step % p.whole;
  if (at < 0) at += p.whole;
  for (int i = 0; i < p.count; ++i) {
    if (at < p.lengths[i]) return i % 2 == 0;
    at -= p.lengths[i];
  }
  return true;
}

EllipseWalk::EllipseWalk(double rx, double ry) : rx_(std::max(rx, 0.0)), ry_(std::max(ry, 0.0)) {
  double diagonal = std::hypot(rx_, ry_);
  x45_ = diagonal > 0 ? rx_ * rx_ / diagonal : 0;
  y45_ = diagonal > 0 ? ry_ * ry_ / diagonal : 0;
  quarter_ = x45_ + y45_;
}

double EllipseWalk::At(double x, double y) const {
  double u = std::fabs(x), v = std::fabs(y);
  // Within a quarter from the x axis: first along y while the curve is steep, then along x.
  double m;
  if (rx_ == 0)
    m = std::min(v, quarter_);
  else if (ry_ == 0)
    m = std::clamp(rx_ - u, 0.0, quarter_);
  else if (u * ry_ * ry_ >= v * rx_ * rx_)
    m = std::min(v, y45_);
  else
    m = std::clamp(y45_ + x45_ - u, y45_, quarter_);
  if (y <= 0) return x >= 0 ? m : 2 * quarter_ - m;
  return x < 0 ? 2 * quarter_ + m : 4 * quarter_ - m;
}

}  // namespace qv
