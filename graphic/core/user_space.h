// User coordinates of a surface, independent of the platform: the surface's origin, scale and
// axis flips over its drawing area, and the arithmetic that turns user units into canvas pixels
// and back. The Windows side copies these fields out of a surface's WindowRecord
// (UserSpaceOf in surface_map_point.h) and stores a changed system back.
//
// Every conversion of a float to a pixel rounds to nearest with ties to even by the run-time's
// FloatToInteger rule; a value outside the 32-bit range (or NaN) maps to -2147483648. No input
// leads to undefined behaviour.
#pragma once

#include <cstdint>

namespace qv {

struct UserSpace {
  float origin_x = 0, origin_y = 0;
  float scale_x = 0, scale_y = 0;  // pixels per user unit; 0 = coordinates are pixels
  bool flip_x = false, flip_y = false;
  int32_t clip_x = 0, clip_y = 0;  // top-left of the drawing area in the canvas
  int32_t clip_width = 0, clip_height = 0;
  int32_t current_x = 0, current_y = 0;  // the current position, for relative points
};

struct PixelPoint {
  int32_t x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};

struct UserPoint {
  long double x = 0, y = 0;
};

enum class Axis { kX, kY };

// SurfaceMapPoint's arithmetic. An absolute point: round((v - origin) * scale), mirrored in the
// drawing area (clip extent - result) when the axis is flipped, plus the clip origin; with
// scale 0, round(v) plus the clip origin. A relative point: round(v * scale), negated when the
// axis is flipped, plus the current position; with scale 0, round(v) plus the current
// position. A coordinate whose rounding or sum leaves the 32-bit range maps to -2147483648.
PixelPoint MapUserPoint(const UserSpace& space, long double x, long double y, bool relative);

// SurfaceScale's arithmetic: (x1, y1) and (x2, y2) become the corners of the drawing area.
// Per axis the smaller coordinate is the origin; when the first is the larger, the axis is
// flipped; scale = (clip extent - e) / |v2 - v1|, e = 1 with inclusive end points. A result of
// origin (0, 0), scale (1, 1) and no flips switches back to pixels (scale 0). Returns false and
// changes nothing when x1 = x2, y1 = y2 or a corner is NaN. A scale beyond the float32 range is
// stored as infinity (points then map to -2147483648).
bool ScaleUserSpace(UserSpace& space, long double x1, long double y1, long double x2, long double y2,
                    bool inclusive);

// A length in user units along an axis as pixels: round(length * scale), or round(length) with
// scale 0. For margins, widths and sizes given in user units; flips do not apply.
int32_t UserLengthToPixels(const UserSpace& space, long double length, Axis axis);

// A pixel length back in user units: pixels / scale, or the pixels with scale 0. For sizes
// reported in user units (text extents, character cells).
long double PixelsToUserLength(const UserSpace& space, int32_t pixels, Axis axis);

// A canvas pixel back in user units, the inverse of an absolute MapUserPoint (up to rounding):
// for click points reported in user units.
UserPoint PixelToUserPoint(const UserSpace& space, int32_t x, int32_t y);

// A float32 from an extended value as the floating-point unit stores it with overflow masked:
// beyond the float range it is an infinity of the same sign.
float ToFloat32(long double value);

}  // namespace qv
