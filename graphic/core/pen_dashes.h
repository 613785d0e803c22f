// The dashes of a thin pen along a curve drawn as pixel spans. The platform walks a thin pen
// pixel by pixel along the shape's outline and takes each pixel's colour from the pen style's
// pattern: the pen's colour on a dash, the background colour (or nothing, when the background
// is transparent) in a gap. Wide pens are never dashed. A far curve cannot be walked pixel by
// pixel, so the walk's count at a point is measured in closed form: a step advances one pixel
// along the curve's major axis, so a piece of curve whose major axis does not change takes as
// many steps as it spans along that axis.
#pragma once

#include <cstdint>

namespace qv {

// Pen styles with dashes (solid = 0, dash, dot, dash-dot, dash-dot-dot).
constexpr int32_t kPenSolid = 0;
constexpr int32_t kPenDashDotDot = 4;

// Whether the pixel `step` steps from the start of a walk lies on a dash (true for solid pens
// and any style outside 1-4).
bool OnDash(int32_t style, int64_t step);

// Steps from the rightmost point of an ellipse (centre at 0, 0; radii rx, ry) counter-clockwise
// on the screen (upwards first, y growing downwards) to the point (x, y) on it, in [0, Whole()].
class EllipseWalk {
 public:
  EllipseWalk(double rx, double ry);
  double At(double x, double y) const;
  double Quarter() const { return quarter_; }
  double Whole() const { return 4 * quarter_; }

 private:
  double rx_, ry_, x45_, y45_, quarter_;  // (x45, y45): where the slope is one
};

}  // namespace qv
