// Shapes drawn as spans on any corners, angles and pen widths, far or near: spans stay on the
// canvas in order, never more than one per pixel, the inside of a pie or box stays within its
// box, a stroke's pixels lie within half its pen of the path, and the work is bounded by the
// canvas (libFuzzer's time limit watches) whatever the size of the shape.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "box_geometry.h"
#include "fuzz_input.h"

namespace {

using namespace qv;

// Mostly near the canvas, sometimes anywhere in 32 bits.
int32_t Coordinate(fuzz::Input& in) {
  uint8_t kind = in.Byte();
  if (kind < 128) return static_cast<int8_t>(in.Byte());
  return in.Int32();
}

void CheckSpans(const std::vector<Span>& spans, int32_t width, int32_t height) {
  int32_t last_y = -1, last_right = 0;
  for (const Span& s : spans) {
    if (s.y < 0 || s.y >= height || s.left < 0 || s.left >= s.right || s.right > width) std::abort();
    if (s.y == last_y && s.left <= last_right) std::abort();  // overlapping or touching spans of a row
    if (s.y < last_y) std::abort();
    last_y = s.y;
    last_right = s.right;
  }
}

// Gaps are well formed and share no pixel with the dashes.
void CheckDashes(const ShapeSpans& shape, int32_t width, int32_t height) {
  CheckSpans(shape.gaps, width, height);
  if (SpansWithout(shape.gaps, shape.outline) != shape.gaps) std::abort();
}

void CheckWithinBox(const std::vector<Span>& spans, long double l, long double t, long double r, long double b) {
  for (const Span& s : spans)
    if (s.y < t - 1 || s.y > b + 1 || s.left < l - 1 || s.right - 1 > r + 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  int32_t width = 1 + in.Byte() % 40, height = 1 + in.Byte() % 40;
  PixelPoint a{Coordinate(in), Coordinate(in)}, b{Coordinate(in), Coordinate(in)};
  int64_t pen = in.Byte() < 200 ? in.Byte() % 16 : std::llabs(int64_t{in.Int32()});
  ShapeStyle style{pen, (in.Byte() & 1) != 0, (in.Byte() & 1) != 0, 0};
  style.pen_style = in.Byte() < 200 ? in.Byte() % 6 : in.Int32();
  long double start = static_cast<int8_t>(in.Byte()) / 8.0L, end = static_cast<int8_t>(in.Byte()) / 8.0L;
  long double l = std::min(a.x, b.x), r = std::max(a.x, b.x), t = std::min(a.y, b.y), bo = std::max(a.y, b.y);

  ShapeSpans pie = ArcSpans(a, b, ArcRadialPoints(a, b, start, end), (in.Byte() & 1) != 0, style, width, height);
  CheckSpans(pie.fill, width, height);
  CheckSpans(pie.outline, width, height);
  CheckDashes(pie, width, height);
  CheckWithinBox(pie.fill, l, t, r, bo);

  BoxShape box = BoxGeometry(a, b, static_cast<uint32_t>(in.Int32()), (in.Byte() & 1) != 0);
  ShapeSpans rounded = RoundBoxSpans(box, style, width, height);
  CheckSpans(rounded.fill, width, height);
  CheckSpans(rounded.outline, width, height);
  CheckDashes(rounded, width, height);
  CheckWithinBox(rounded.fill, std::min(box.left, box.right), std::min(box.top, box.bottom),
                 std::max(box.left, box.right), std::max(box.top, box.bottom));

  std::vector<PixelPoint> path = {a, b};
  for (int n = in.Byte() % 3; n > 0; --n) path.push_back({Coordinate(in), Coordinate(in)});
  std::vector<Span> stroke = StrokeSpans(path, (in.Byte() & 1) != 0, pen, width, height);
  CheckSpans(stroke, width, height);
  long double half = std::max<int64_t>(pen, 1) / 2.0L;
  for (const Span& s : stroke)
    for (int32_t x = s.left; x < s.right; ++x) {
      long double nearest = INFINITY;
      for (size_t i = 0; i < path.size(); ++i) {
        const PixelPoint& p = path[i];
        const PixelPoint& q = path[(i + 1) % path.size()];
        long double px = p.x, py = p.y, dx = q.x - px, dy = q.y - py;
        long double d2 = dx * dx + dy * dy;
        long double u = d2 > 0 ? std::clamp(((x - px) * dx + (s.y - py) * dy) / d2, 0.0L, 1.0L) : 0;
        nearest = std::min(nearest, std::hypot(x - px - u * dx, s.y - py - u * dy));
      }
      if (nearest > half * (1 + 1e-9L) + 1e-6L) std::abort();
    }
  return 0;
}
