// Painting the spans of a shape onto a canvas in time linear in their pixels. The platform
// builds a region from rectangles one union at a time (quadratic in their count), so spans
// never become one region: the platform paints the brush once over their bounding box on a
// copy of the canvas, in the DC's mix, background mode, colours and brush origin, and the
// pixels of the spans are taken from that copy; the result goes back through the DC, so its
// clip region holds. The box is done in bands of a few megabytes. Used with SurfaceLock held.
#pragma once

#include <windows.h>

#include <vector>

#include "box_geometry.h"

namespace qv {

// One brush and its spans; layers are painted in order, each over what the ones before left.
// A null brush paints nothing.
struct SpanLayer {
  const std::vector<Span>* spans;
  HBRUSH brush;
};

void PaintSpans(HDC dc, const std::vector<SpanLayer>& layers);

}  // namespace qv
