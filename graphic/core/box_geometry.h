// Geometry of SurfaceBox and SurfaceArc from their mapped corners, and the shapes too large for
// the platform drawn as pixel spans; independent of the platform.
#pragma once

#include <cstdint>
#include <vector>

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

namespace qv {

// Shapes beyond the platform's reach. The platform's ellipses, arcs, pies and rounded corners
// cost time in proportion to their size, and its wide pens in proportion to their width: a
// pie of a million pixels' radius takes minutes. Such shapes are drawn instead as rows of
// pixel spans over the canvas only, in time proportional to the canvas: a pixel belongs to a
// shape when its centre lies inside the shape's exact outline (pens centred on it), which is
// what the platform approximates for the parts it would have drawn on the canvas.

// A shape whose box, grown by the pen on every side, lies within the canvas grown by this on
// every side is left to the platform; so is a pen up to this wide.
constexpr int64_t kShapeReach = 8192;

// Whether the box with corners a and b (any order) grown by `grow` lies within reach of a
// width x height canvas.
bool WithinReach(PixelPoint a, PixelPoint b, int64_t grow, int32_t width, int32_t height);

// Pixels left .. right - 1 of row y.
struct Span {
  int32_t y = 0, left = 0, right = 0;
  bool operator==(const Span&) const = default;
};

// The pixels of `spans` that are not in `cut`; both sorted by row, then by left end, disjoint
// within each row. Linear in their count.
std::vector<Span> SpansWithout(const std::vector<Span>& spans, const std::vector<Span>& cut);

// The pixels of either, in the same order; linear in their count.
std::vector<Span> SpansUnion(const std::vector<Span>& a, const std::vector<Span>& b);

// What is drawn of a shape: the inside (the brush), the outline (the pen's colour) and the
// gaps between the dashes of a thin dashed pen (the background colour, when it is opaque).
// The platform paints a thin pen's outline over the whole inside, after it (so a mix such as
// invert reaches those pixels twice), and a wide pen's inside only up to its outline.
struct ShapeSpans {
  std::vector<Span> fill, outline, gaps;
  bool fill_under_outline = false;
};

// How a far shape is drawn: pen width in pixels (0 draws one pixel wide), whether the pen is
// drawn at all (a null pen or colour "none" is not), whether the inside is filled, and the pen
// style (its dashes count only for a pen of one pixel, as the platform's).
struct ShapeStyle {
  int64_t pen_width = 0;
  bool outline = true, fill = true;
  int32_t pen_style = 0;
};

// RoundRect(left, top, right, bottom, corner width, corner height) as the platform takes it:
// the box's right and bottom edges are outside it; corners 0 x 0 make a plain rectangle.
ShapeSpans RoundBoxSpans(const BoxShape& box, const ShapeStyle& style, int32_t width, int32_t height);

// Arc or Pie in the box (a, b) from the start to the end radial point, counter-clockwise on
// the screen (equal radials: the whole ellipse). Only a pie has an inside.
ShapeSpans ArcSpans(PixelPoint a, PixelPoint b, const ArcRadials& radials, bool pie, const ShapeStyle& style,
                    int32_t width, int32_t height);

// The inside of a polygon by the winding rule (or, with `alternate`, the even-odd rule).
std::vector<Span> PolygonSpans(const std::vector<PixelPoint>& points, bool alternate, int32_t width, int32_t height);

// Whether every point lies within reach of the canvas.
bool PointsWithinReach(const std::vector<PixelPoint>& points, int32_t width, int32_t height);

// Work the platform may do for one shape, in rows times edges. Its polygon fill scans every row
// of the polygon (not only the canvas's) for every edge; its wide pen unites one region per
// segment and join, each union costing every row made so far, so rows times the square of the
// segments. Measured under Wine at 200-400 ns a unit: the budget keeps a shape under 60 ms.
constexpr int64_t kPlatformBudget = int64_t{1} << 17;

// Whether `edges` times the rows of the points' extent, grown by `grow` on each side, stays
// within the budget.
bool PlatformAffords(const std::vector<PixelPoint>& points, int64_t grow, int64_t edges);

// A line or polyline stroked with a round pen of the style's width (joins and ends round).
std::vector<Span> StrokeSpans(const std::vector<PixelPoint>& path, bool closed, int64_t pen_width, int32_t width,
                              int32_t height);

}  // namespace qv
