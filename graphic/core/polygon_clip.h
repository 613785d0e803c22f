// Cutting a polygon to a rectangle far around the canvas before it is filled. The platform's
// polygon fill works through every scan line between the polygon's top and bottom, so a vertex
// mapped a billion pixels away costs seconds; cut at a margin of a million pixels, the part
// on the canvas fills the same pixels (the cut moves no edge by more than half a pixel over a
// million pixels) and the fill mode's inside and outside are unchanged there.
#pragma once

#include <cstdint>
#include <vector>

#include "user_space.h"

namespace qv {

constexpr int64_t kPolygonClipMargin = 1 << 20;

struct ClipBox {
  int64_t left, top, right, bottom;  // inclusive, within the 32-bit range
};

// The box of a width x height canvas grown by the margin on every side, kept in 32 bits.
ClipBox CanvasClipBox(int32_t width, int32_t height);

// Whether every point lies in the box (then the polygon is drawn as it is).
bool PolygonInside(const std::vector<PixelPoint>& points, const ClipBox& box);

// The polygon cut to the box (Sutherland-Hodgman, one side at a time), corners where an edge
// crosses a side rounded to the nearest pixel. Empty when nothing of it lies in the box.
std::vector<PixelPoint> ClipPolygon(const std::vector<PixelPoint>& points, const ClipBox& box);

}  // namespace qv
