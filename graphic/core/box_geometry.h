// Geometry of SurfaceBox and SurfaceArc from their mapped corners, independent of the platform.
#pragma once

#include <cstdint>

#include "user_space.h"

namespace qv {

// Corner value of SurfaceBox that draws the ellipse inscribed in the box.
constexpr uint32_t kCornerEllipse = 0x80000000u;

// Arguments of the platform's RoundRect.
struct BoxShape {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t corner_width = 0, corner_height = 0;  // 0 x 0: a plain rectangle
};

// SurfaceBox's rule. The corners are ordered smaller first, compared unsigned (so a negative
// coordinate sorts after every positive one); with inclusive end points the right and bottom
// grow by one (saturating at the 32-bit limit) so the box covers its last column and row.
// w = right - left, h = bottom - top. Corner kCornerEllipse: an ellipse of (|w| + 1) x (|h| + 1);
// otherwise the percentage (above 100, compared unsigned, is 100) of min(|w|, |h|), integer
// division. Corner sizes never exceed INT32_MAX.
BoxShape BoxGeometry(PixelPoint a, PixelPoint b, uint32_t corner, bool inclusive);

// Radial points of the platform's Arc and Pie.
struct ArcRadials {
  PixelPoint start, end;
};

// SurfaceArc's rule: the points 5000 pixels from the box centre ((x1 + x2 + 1) / 2,
// (y1 + y2 + 1) / 2) in the direction of each angle (radians, counter-clockwise from the
// positive x axis, y growing downwards): (cx + 5000 cos a, cy - 5000 sin a), each rounded by
// the FloatToInteger rule (a NaN or infinite angle gives -2147483648).
ArcRadials ArcRadialPoints(PixelPoint a, PixelPoint b, long double start_angle, long double end_angle);

}  // namespace qv
