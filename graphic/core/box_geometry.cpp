#include "box_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "pen_dashes.h"
#include "pixel_round.h"

namespace qv {

namespace {

constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
constexpr uint32_t kFullCorner = 100;
constexpr long double kRadialLength = 5000;

int32_t OrderedLow(int32_t a, int32_t b) { return static_cast<uint32_t>(a) <= static_cast<uint32_t>(b) ? a : b; }
int32_t OrderedHigh(int32_t a, int32_t b) { return static_cast<uint32_t>(a) <= static_cast<uint32_t>(b) ? b : a; }

int32_t Grow(int32_t v, int e) { return static_cast<int32_t>(std::min<int64_t>(int64_t{v} + e, kMax)); }

int32_t Clamp(int64_t v) { return static_cast<int32_t>(std::min(v, kMax)); }

PixelPoint Radial(long double cx, long double cy, long double angle) {
  return {PixelRound(cx + kRadialLength * std::cos(angle)), PixelRound(cy - kRadialLength * std::sin(angle))};
}

}  // namespace

BoxShape BoxGeometry(PixelPoint a, PixelPoint b, uint32_t corner, bool inclusive) {
  int e = inclusive ? 1 : 0;
  BoxShape box;
  box.left = OrderedLow(a.x, b.x);
  box.top = OrderedLow(a.y, b.y);
  box.right = Grow(OrderedHigh(a.x, b.x), e);
  box.bottom = Grow(OrderedHigh(a.y, b.y), e);
  int64_t w = std::llabs(int64_t{box.right} - box.left);
  int64_t h = std::llabs(int64_t{box.bottom} - box.top);
  if (corner == kCornerEllipse) {
    box.corner_width = Clamp(w + 1);
    box.corner_height = Clamp(h + 1);
  } else {
    int64_t percent = std::min(corner, kFullCorner);
    box.corner_width = box.corner_height = Clamp(percent * std::min(w, h) / 100);
  }
  return box;
}

ArcRadials ArcRadialPoints(PixelPoint a, PixelPoint b, long double start_angle, long double end_angle) {
  long double cx = (static_cast<long double>(a.x) + b.x + 1) * 0.5L;
  long double cy = (static_cast<long double>(a.y) + b.y + 1) * 0.5L;
  return {Radial(cx, cy, start_angle), Radial(cx, cy, end_angle)};
}

}  // namespace qv

namespace qv {

namespace {

using Real = double;  // ample for 32-bit coordinates, and several times faster than 80 bits

// The inside of a shape on one row: disjoint intervals [from, to], ascending.
struct Interval {
  Real from, to;
};
using Row = std::vector<Interval>;

constexpr Real kEverywhere = 1e30L;

// Merges the overlapping intervals of a row already sorted by their starts.
Row Merged(Row row) {
  Row out;
  for (const Interval& i : row) {
    if (!(i.from <= i.to)) continue;
    if (!out.empty() && i.from <= out.back().to)
      out.back().to = std::max(out.back().to, i.to);
    else
      out.push_back(i);
  }
  return out;
}

Row Normalised(Row row) {
  std::sort(row.begin(), row.end(), [](const Interval& a, const Interval& b) { return a.from < b.from; });
  return Merged(std::move(row));
}

Row Union(Row a, const Row& b) {
  a.insert(a.end(), b.begin(), b.end());
  return Normalised(std::move(a));
}

Row Intersect(const Row& a, const Row& b) {
  Row out;
  for (const Interval& i : a)
    for (const Interval& j : b) {
      Real from = std::max(i.from, j.from), to = std::min(i.to, j.to);
      if (from <= to) out.push_back({from, to});
    }
  return Normalised(std::move(out));
}

// a without the open inside of b: the outline of b stays with a.
Row Subtract(const Row& a, const Row& b) {
  Row out;
  for (Interval i : a) {
    for (const Interval& j : b) {
      if (j.to <= i.from || j.from >= i.to) continue;
      if (j.from > i.from) out.push_back({i.from, j.from});
      i.from = j.to;
      if (i.from >= i.to) break;
    }
    if (i.from < i.to) out.push_back(i);
  }
  return Normalised(std::move(out));
}

// The row of an axis-parallel ellipse (centre, radii).
Row EllipseRow(Real cx, Real cy, Real rx, Real ry, Real yc) {
  if (rx <= 0 || ry <= 0) return {};
  Real t = (yc - cy) / ry;
  if (!(std::fabs(t) <= 1)) return {};
  Real half = rx * std::sqrt(1 - t * t);
  return {{cx - half, cx + half}};
}

// The row of the half-plane a x + b y + c >= 0.
Row HalfPlaneRow(Real a, Real b, Real c, Real yc) {
  Real rest = b * yc + c;
  if (a == 0) return rest >= 0 ? Row{{-kEverywhere, kEverywhere}} : Row{};
  Real x = -rest / a;
  return a > 0 ? Row{{x, kEverywhere}} : Row{{-kEverywhere, x}};
}

struct Vec {
  Real x, y;
};

// Points within r of the segment p-q.
Row StadiumRow(Vec p, Vec q, Real r, Real yc) {
  Row row = Union(EllipseRow(p.x, p.y, r, r, yc), EllipseRow(q.x, q.y, r, r, yc));
  Real dx = q.x - p.x, dy = q.y - p.y, length = std::hypot(dx, dy);
  if (length == 0) return row;
  // Along the segment: 0 <= (P - p).d <= |d|^2; across it: |(P - p) x d| <= r |d|.
  Row band{{-kEverywhere, kEverywhere}};
  band = Intersect(band, HalfPlaneRow(dx, dy, -(dx * p.x + dy * p.y), yc));
  band = Intersect(band, HalfPlaneRow(-dx, -dy, dx * q.x + dy * q.y, yc));
  Real across = dy * p.x - dx * p.y;  // (P - p) x d = P.x dy - P.y dx - across
  band = Intersect(band, HalfPlaneRow(-dy, dx, across + r * length, yc));
  band = Intersect(band, HalfPlaneRow(dy, -dx, -across + r * length, yc));
  return Union(row, band);
}

// A box with quarter-ellipse corners, its outline through l, t, r, b.
struct RoundedBox {
  Real l, t, r, b, rx, ry;  // rx, ry: corner radii
};

Row RoundedBoxRow(const RoundedBox& box, Real yc) {
  if (!(box.l <= box.r && yc >= box.t && yc <= box.b)) return {};
  Real rx = std::min(box.rx, (box.r - box.l) / 2), ry = std::min(box.ry, (box.b - box.t) / 2);
  Real inset = 0, dy = 0;
  if (yc < box.t + ry)
    dy = box.t + ry - yc;
  else if (yc > box.b - ry)
    dy = yc - (box.b - ry);
  if (dy > 0 && rx > 0) {
    Real t = dy / ry;
    if (t > 1) return {};
    inset = rx * (1 - std::sqrt(1 - t * t));
  }
  return {{box.l + inset, box.r - inset}};
}

RoundedBox Grown(const RoundedBox& box, Real by) {
  return {box.l - by, box.t - by, box.r + by, box.b + by, std::max<Real>(0, box.rx + by),
          std::max<Real>(0, box.ry + by)};
}

// The pen's half width: a width of 0 or 1 draws one pixel.
Real HalfPen(int64_t pen_width) { return std::max<Real>(1, static_cast<Real>(pen_width)) / 2; }

// Adds a span after those of earlier rows or further left, joining one it touches.
void AppendSpan(std::vector<Span>& spans, const Span& span) {
  if (!spans.empty() && spans.back().y == span.y && spans.back().right >= span.left)
    spans.back().right = std::max(spans.back().right, span.right);
  else
    spans.push_back(span);
}

// Pixels whose centres lie inside the row, cut to the canvas. As for the platform's lines, a
// pixel's centre is at its integer coordinates; as for its fills, the inside is taken half
// open, its left and top edges in and its right and bottom edges out, so a pen of 4 covers 4
// pixels across a line and a fill leaves out the edge its outline would cover.
// Only the rows from `top` to before `bottom` (the shape's extent) are looked at, and none of
// a canvas without width or height.
template <typename RowOf>
std::vector<Span> Rasterise(int32_t width, int32_t height, Real top, Real bottom, RowOf row_of) {
  std::vector<Span> spans;
  if (!(top <= bottom) || width <= 0 || height <= 0) return spans;
  int32_t first = static_cast<int32_t>(std::clamp<Real>(std::ceil(top), 0, height));
  int32_t last = static_cast<int32_t>(std::clamp<Real>(std::ceil(bottom), 0, height));
  for (int32_t y = first; y < last; ++y) {
    for (const Interval& i : row_of(static_cast<Real>(y))) {
      Real from = std::max<Real>(std::ceil(i.from), 0);
      Real to = std::min<Real>(std::ceil(i.to), width);
      if (!(from < to)) continue;
      AppendSpan(spans, {y, static_cast<int32_t>(from), static_cast<int32_t>(to)});
    }
  }
  return spans;
}

// The sector counter-clockwise on the screen from the direction s to the direction e around c.
// With y growing downwards, v lies counter-clockwise of d (within half a turn) when the
// screen's cross product d.x v.y - d.y v.x is negative.
Row SectorRow(Vec c, Vec s, Vec e, Real yc) {
  auto after_start = [&](Vec d) { return HalfPlaneRow(d.y, -d.x, d.x * c.y - d.y * c.x, yc); };
  auto before_end = [&](Vec d) { return HalfPlaneRow(-d.y, d.x, d.y * c.x - d.x * c.y, yc); };
  Real turn = s.x * e.y - s.y * e.x, along = s.x * e.x + s.y * e.y;
  if (turn == 0 && along > 0) return {{-kEverywhere, kEverywhere}};  // one direction: the whole ellipse
  if (turn < 0) return Intersect(after_start(s), before_end(e));      // up to half a turn
  return Union(after_start(s), before_end(e));
}

// What a point of a thin outline is painted with.
enum class Ink { kNone, kDash, kGap };

// The ink of the point `steps` along a thin pen's walk (a walk round a shape of no size has
// no steps).
Ink InkAt(int32_t pen_style, Real steps) {
  int64_t step = std::isfinite(steps) ? static_cast<int64_t>(std::floor(steps + 0.5)) : 0;
  return OnDash(pen_style, step) ? Ink::kDash : Ink::kGap;
}

// A one-pixel outline, as the platform draws a curve with a thin pen: the pixel nearest to
// each point where the curve crosses a row of the canvas, and to each where it crosses a column,
// which joins its pixels side by side or corner to corner and never makes it two thick. The
// curve is given by its crossings: rows(y) and columns(x) return intervals whose ends lie on
// it, and ink(x, y) says whether such an end belongs to the outline and where its pen's dashes
// put it; a pixel reached as both dash and gap is a dash. Linear in the canvas's rows and
// columns (plus the sort of its pixels).
template <typename RowsOf, typename ColumnsOf, typename InkOf>
void ThinCurve(int32_t width, int32_t height, RowsOf rows, ColumnsOf columns, InkOf ink, ShapeSpans& into) {
  struct Pixel {
    int32_t y, x;
    Ink ink;
    bool operator<(const Pixel& o) const {
      return y != o.y ? y < o.y : x != o.x ? x < o.x : static_cast<int>(ink) < static_cast<int>(o.ink);
    }
  };
  if (width <= 0 || height <= 0) return;
  std::vector<Pixel> pixels;
  auto add = [&](Real x, Real y) {
    Ink at = ink(x, y);
    if (at == Ink::kNone) return;
    Real rx = std::floor(x + 0.5), ry = std::floor(y + 0.5);
    if (rx >= 0 && rx < width && ry >= 0 && ry < height)
      pixels.push_back({static_cast<int32_t>(ry), static_cast<int32_t>(rx), at});
  };
  for (int32_t y = 0; y < height; ++y)
    for (const Interval& i : rows(static_cast<Real>(y))) {
      add(i.from, y);
      add(i.to, y);
    }
  for (int32_t x = 0; x < width; ++x)
    for (const Interval& i : columns(static_cast<Real>(x))) {
      add(x, i.from);
      add(x, i.to);
    }
  std::sort(pixels.begin(), pixels.end());
  int32_t last_y = -1, last_x = -1;
  for (const Pixel& p : pixels) {
    if (p.y == last_y && p.x == last_x) continue;  // the first, a dash if any, decides
    last_y = p.y;
    last_x = p.x;
    AppendSpan(p.ink == Ink::kDash ? into.outline : into.gaps, {p.y, p.x, p.x + 1});
  }
}

// Steps of a thin pen's walk around a rounded box from the right edge at the centre row of the
// top right corner, counter-clockwise on the screen, as the platform walks it: corner, top edge,
// corner, left edge, corner, bottom edge, corner, right edge. (x, y) lies on the outline.
Real RoundedBoxSteps(const RoundedBox& box, Real x, Real y) {
  Real rx = std::min(box.rx, (box.r - box.l) / 2), ry = std::min(box.ry, (box.b - box.t) / 2);
  EllipseWalk corner(rx, ry);
  Real q = corner.Quarter();
  Real right = box.r - rx, left = box.l + rx, top = box.t + ry, bottom = box.b - ry;
  Real across = right - left, down = bottom - top;
  if (y <= top) {
    if (x >= right) return corner.At(x - right, y - top);
    if (x > left) return q + (right - x);
    return across + corner.At(x - left, y - top);
  }
  if (y < bottom) {
    if (x <= left) return 2 * q + across + (y - top);
    return 4 * q + 2 * across + down + (bottom - y);
  }
  if (x <= left) return across + down + corner.At(x - left, y - bottom);
  if (x < right) return 3 * q + across + down + (x - left);
  return 2 * across + down + corner.At(x - right, y - bottom);
}

// Whether the direction d lies counter-clockwise on the screen from s to e (as SectorRow).
bool InSector(Vec s, Vec e, Vec d) {
  Real turn = s.x * e.y - s.y * e.x, along = s.x * e.x + s.y * e.y;
  bool after_start = s.y * d.x - s.x * d.y >= 0, before_end = -e.y * d.x + e.x * d.y >= 0;
  if (turn == 0 && along > 0) return true;
  return turn < 0 ? after_start && before_end : after_start || before_end;
}

// The crossings of the segment p-q with a row (or, with the axes swapped, a column).
Row SegmentRow(Vec p, Vec q, Real yc) {
  if (p.y == q.y) return yc == p.y ? Row{{std::min(p.x, q.x), std::max(p.x, q.x)}} : Row{};
  Real t = (yc - p.y) / (q.y - p.y);
  if (!(t >= 0 && t <= 1)) return {};
  Real x = p.x + t * (q.x - p.x);
  return {{x, x}};
}

}  // namespace

std::vector<Span> SpansWithout(const std::vector<Span>& spans, const std::vector<Span>& cut) {
  std::vector<Span> out;
  size_t k = 0;
  for (Span s : spans) {
    while (k < cut.size() && (cut[k].y < s.y || (cut[k].y == s.y && cut[k].right <= s.left))) ++k;
    for (size_t j = k; j < cut.size() && cut[j].y == s.y && cut[j].left < s.right; ++j) {
      if (cut[j].left > s.left) out.push_back({s.y, s.left, cut[j].left});
      s.left = std::max(s.left, cut[j].right);
    }
    if (s.left < s.right) out.push_back(s);
  }
  return out;
}

std::vector<Span> SpansUnion(const std::vector<Span>& a, const std::vector<Span>& b) {
  std::vector<Span> out;
  out.reserve(a.size() + b.size());
  auto before = [](const Span& x, const Span& y) { return x.y != y.y ? x.y < y.y : x.left < y.left; };
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size())
    AppendSpan(out, j == b.size() || (i < a.size() && before(a[i], b[j])) ? a[i++] : b[j++]);
  return out;
}

bool WithinReach(PixelPoint a, PixelPoint b, int64_t grow, int32_t width, int32_t height) {
  int64_t left = std::min(a.x, b.x) - grow, right = int64_t{std::max(a.x, b.x)} + grow;
  int64_t top = std::min(a.y, b.y) - grow, bottom = int64_t{std::max(a.y, b.y)} + grow;
  return left >= -kShapeReach && top >= -kShapeReach && right <= int64_t{width} + kShapeReach &&
         bottom <= int64_t{height} + kShapeReach;
}

ShapeSpans RoundBoxSpans(const BoxShape& box, const ShapeStyle& style, int32_t width, int32_t height) {
  // The outline runs through the centres of the edge pixels; the right and bottom edges lie
  // outside the box, so its last column and row are one before them.
  RoundedBox line{std::min<Real>(box.left, box.right),
                  std::min<Real>(box.top, box.bottom),
                  std::max<Real>(box.left, box.right) - 1,
                  std::max<Real>(box.top, box.bottom) - 1,
                  std::max<Real>(0, static_cast<Real>(box.corner_width) - 1) / 2,
                  std::max<Real>(0, static_cast<Real>(box.corner_height) - 1) / 2};
  ShapeSpans spans;
  if (box.left == box.right || box.top == box.bottom) return spans;  // as the platform: nothing
  Real half = HalfPen(style.pen_width);
  Real reach = half + 1;
  if (style.fill)
    spans.fill = Rasterise(width, height, line.t, line.b, [&](Real yc) { return RoundedBoxRow(line, yc); });
  if (style.outline && style.pen_width <= 1) {
    RoundedBox across{line.t, line.l, line.b, line.r, line.ry, line.rx};  // the box with its axes swapped
    ThinCurve(
        width, height, [&](Real yc) { return RoundedBoxRow(line, yc); },
        [&](Real xc) { return RoundedBoxRow(across, xc); },
        [&](Real x, Real y) { return InkAt(style.pen_style, RoundedBoxSteps(line, x, y)); }, spans);
    // The platform's inside of a rounded box reaches over its thin outline.
    if (style.fill) spans.fill = SpansUnion(SpansUnion(spans.fill, spans.outline), spans.gaps);
    spans.fill_under_outline = true;
  } else if (style.outline) {
    spans.outline = Rasterise(width, height, line.t - reach, line.b + reach, [&](Real yc) {
      return Subtract(RoundedBoxRow(Grown(line, half), yc), RoundedBoxRow(Grown(line, -half), yc));
    });
  }
  return spans;
}

ShapeSpans ArcSpans(PixelPoint a, PixelPoint b, const ArcRadials& radials, bool pie, const ShapeStyle& style,
                    int32_t width, int32_t height) {
  // Through the edge pixels' centres, the right and bottom edges outside the box.
  Real l = std::min(a.x, b.x), r = static_cast<Real>(std::max(a.x, b.x)) - 1;
  Real t = std::min(a.y, b.y), bo = static_cast<Real>(std::max(a.y, b.y)) - 1;
  Vec c{(l + r) / 2, (t + bo) / 2};
  Real rx = (r - l) / 2, ry = (bo - t) / 2;
  Vec s{radials.start.x - c.x, radials.start.y - c.y}, e{radials.end.x - c.x, radials.end.y - c.y};
  Real half = HalfPen(style.pen_width);
  ShapeSpans spans;
  if (a.x == b.x || a.y == b.y) return spans;  // an empty box: nothing, as the platform
  if (pie && style.fill)
    spans.fill = Rasterise(width, height, t, bo,
                           [&](Real yc) { return Intersect(EllipseRow(c.x, c.y, rx, ry, yc), SectorRow(c, s, e, yc)); });
  if (!style.outline) return spans;
  // Where a radial direction meets the ellipse, for the pie's two straight sides.
  auto rim = [&](Vec d) {
    Real k = std::hypot(d.x / std::max<Real>(rx, 1e-9L), d.y / std::max<Real>(ry, 1e-9L));
    return k > 0 ? Vec{c.x + d.x / k, c.y + d.y / k} : c;
  };
  Vec rim_s = rim(s), rim_e = rim(e);
  if (style.pen_width <= 1) {
    auto rows = [&](Real yc) {
      Row row = EllipseRow(c.x, c.y, rx, ry, yc);
      if (!pie) return row;
      Row sides = SegmentRow(c, rim_s, yc);
      for (const Interval& i : SegmentRow(c, rim_e, yc)) sides.push_back(i);
      row.insert(row.end(), sides.begin(), sides.end());
      return row;
    };
    auto columns = [&](Real xc) {
      Row column = EllipseRow(c.y, c.x, ry, rx, xc);
      if (!pie) return column;
      for (const Interval& i : SegmentRow({c.y, c.x}, {rim_s.y, rim_s.x}, xc)) column.push_back(i);
      for (const Interval& i : SegmentRow({c.y, c.x}, {rim_e.y, rim_e.x}, xc)) column.push_back(i);
      return column;
    };
    // The pen walks the arc counter-clockwise from the start, then a pie's sides from the
    // end to the centre and back to the start.
    EllipseWalk walk(rx, ry);
    auto chebyshev = [](Vec p, Vec q) { return std::max(std::fabs(p.x - q.x), std::fabs(p.y - q.y)); };
    Real from = walk.At(rim_s.x - c.x, rim_s.y - c.y);
    Real arc = std::fmod(walk.At(rim_e.x - c.x, rim_e.y - c.y) - from + walk.Whole(), walk.Whole());
    if (!(arc > 0)) arc = walk.Whole();  // equal radials: the whole ellipse
    auto steps = [&](Vec p, bool on_ellipse) {
      if (on_ellipse) return std::fmod(walk.At(p.x - c.x, p.y - c.y) - from + walk.Whole(), walk.Whole());
      // The nearer side: the one whose line the point lies on.
      auto off = [&](Vec rim) {
        Real dx = rim.x - c.x, dy = rim.y - c.y, length = std::hypot(dx, dy);
        return length > 0 ? std::fabs((p.x - c.x) * dy - (p.y - c.y) * dx) / length : 0;
      };
      if (off(rim_e) <= off(rim_s)) return arc + chebyshev(p, rim_e);
      return arc + chebyshev(c, rim_e) + chebyshev(p, c);
    };
    // An end on the ellipse belongs when it lies in the sector; the sides' points always do.
    auto ink = [&](Real x, Real y) {
      Vec d{x - c.x, y - c.y};
      Real k = std::hypot(d.x / std::max<Real>(rx, 1e-9), d.y / std::max<Real>(ry, 1e-9));
      bool on_ellipse = !(pie && std::fabs(k - 1) > 1e-9);
      if (on_ellipse && !InSector(s, e, d)) return Ink::kNone;
      return InkAt(style.pen_style, steps({x, y}, on_ellipse));
    };
    ThinCurve(width, height, rows, columns, ink, spans);
    spans.fill_under_outline = true;
    return spans;
  }
  spans.outline = Rasterise(width, height, t - half - 1, bo + half + 1, [&](Real yc) {
    Row ring = Subtract(EllipseRow(c.x, c.y, rx + half, ry + half, yc), EllipseRow(c.x, c.y, rx - half, ry - half, yc));
    Row row = Intersect(ring, SectorRow(c, s, e, yc));
    if (pie) return Union(Union(row, StadiumRow(c, rim_s, half, yc)), StadiumRow(c, rim_e, half, yc));
    // The pen's round ends, as the platform's wide pens have them.
    return Union(Union(row, EllipseRow(rim_s.x, rim_s.y, half, half, yc)), EllipseRow(rim_e.x, rim_e.y, half, half, yc));
  });
  return spans;
}

std::vector<Span> PolygonSpans(const std::vector<PixelPoint>& points, bool alternate, int32_t width, int32_t height) {
  // Each edge's crossing of a row is one multiplication; the edges stay ordered by where they
  // cross, which changes little from one row to the next, so keeping that order costs the
  // edges of the row plus the crossings of edges with each other (at most one per pair).
  struct Edge {
    Real x0, y0, slope, low, high;
    int direction;
    Real x;  // where it crosses the current row; kEverywhere when it does not
  };
  std::vector<Edge> edges;
  Real top = kEverywhere, bottom = -kEverywhere;
  for (size_t i = 0; i < points.size(); ++i) {
    const PixelPoint& p = points[i];
    const PixelPoint& q = points[(i + 1) % points.size()];
    top = std::min<Real>(top, p.y);
    bottom = std::max<Real>(bottom, p.y);
    if (p.y == q.y) continue;
    Real slope = (static_cast<Real>(q.x) - p.x) / (static_cast<Real>(q.y) - p.y);
    edges.push_back({static_cast<Real>(p.x), static_cast<Real>(p.y), slope, static_cast<Real>(std::min(p.y, q.y)),
                     static_cast<Real>(std::max(p.y, q.y)), q.y > p.y ? 1 : -1, kEverywhere});
  }
  std::vector<uint32_t> order(edges.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  return Rasterise(width, height, top, bottom, [&](Real yc) {
    for (Edge& e : edges)  // a vertex counts for the edge that starts there
      e.x = yc < e.low || yc >= e.high ? kEverywhere : e.x0 + (yc - e.y0) * e.slope;
    for (size_t i = 1; i < order.size(); ++i)
      for (size_t j = i; j > 0 && edges[order[j - 1]].x > edges[order[j]].x; --j) std::swap(order[j - 1], order[j]);
    Row row;
    int winding = 0;
    for (size_t i = 0; i + 1 < order.size() && edges[order[i + 1]].x < kEverywhere; ++i) {
      winding += alternate ? 1 : edges[order[i]].direction;
      if (alternate ? (winding & 1) != 0 : winding != 0) row.push_back({edges[order[i]].x, edges[order[i + 1]].x});
    }
    return Merged(std::move(row));
  });
}

bool PointsWithinReach(const std::vector<PixelPoint>& points, int32_t width, int32_t height) {
  return std::all_of(points.begin(), points.end(),
                     [&](const PixelPoint& p) { return WithinReach(p, p, 0, width, height); });
}

bool PlatformAffords(const std::vector<PixelPoint>& points, int64_t grow, int64_t edges) {
  if (points.empty()) return true;
  int64_t top = points[0].y, bottom = points[0].y;
  for (const PixelPoint& p : points) {
    top = std::min<int64_t>(top, p.y);
    bottom = std::max<int64_t>(bottom, p.y);
  }
  int64_t rows = bottom - top + 1 + 2 * std::max<int64_t>(grow, 0);
  return edges <= 0 || rows <= kPlatformBudget / edges;
}

std::vector<Span> StrokeSpans(const std::vector<PixelPoint>& path, bool closed, int64_t pen_width, int32_t width,
                              int32_t height) {
  const Real half = HalfPen(pen_width);
  std::vector<Vec> points;
  for (const PixelPoint& p : path) points.push_back({static_cast<Real>(p.x), static_cast<Real>(p.y)});
  if (closed && points.size() > 2) points.push_back(points.front());
  if (points.size() == 1) points.push_back(points.front());
  // The row of one segment's stadium is a single interval (the stadium is convex): the union
  // of its end discs' rows and its band's row. Each segment is prepared once; a row costs a
  // few operations per segment near it, and the intervals stay ordered from row to row as the
  // crossings of a polygon do.
  struct Segment {
    Vec p, q;
    Real dx, dy, squared, reach;  // reach: half the pen times the length
    Real top, bottom;
    Interval now;
  };
  std::vector<Segment> segments;
  Real top = kEverywhere, bottom = -kEverywhere;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    Vec p = points[i], q = points[i + 1];
    Real dx = q.x - p.x, dy = q.y - p.y;
    Segment s{p, q, dx, dy, dx * dx + dy * dy, half * std::hypot(dx, dy), std::min(p.y, q.y) - half,
              std::max(p.y, q.y) + half, {kEverywhere, kEverywhere}};
    top = std::min(top, s.top);
    bottom = std::max(bottom, s.bottom);
    segments.push_back(s);
  }
  auto disc = [&](Vec c, Real yc, Interval& into) {
    Real dy = yc - c.y, rest = half * half - dy * dy;
    if (rest < 0) return;
    Real h = std::sqrt(rest);
    into.from = std::min(into.from, c.x - h);
    into.to = std::max(into.to, c.x + h);
  };
  auto segment_row = [&](const Segment& s, Real yc) {
    Interval out{kEverywhere, -kEverywhere};
    disc(s.p, yc, out);
    disc(s.q, yc, out);
    if (s.squared > 0) {
      // With x measured from p and ry = yc - p.y: along the segment 0 <= x dx + ry dy <= |d|^2,
      // across it |x dy - ry dx| <= half |d|; each a x + c >= 0.
      Real from = -kEverywhere, to = kEverywhere;
      auto keep = [&](Real a, Real c) {
        if (a > 0)
          from = std::max(from, -c / a);
        else if (a < 0)
          to = std::min(to, -c / a);
        else if (c < 0)
          to = -kEverywhere;
      };
      Real ry = yc - s.p.y;
      keep(s.dx, s.dy * ry);
      keep(-s.dx, s.squared - s.dy * ry);
      keep(s.dy, -s.dx * ry + s.reach);
      keep(-s.dy, s.dx * ry + s.reach);
      if (from <= to) {
        out.from = std::min(out.from, from + s.p.x);
        out.to = std::max(out.to, to + s.p.x);
      }
    }
    if (!(out.from <= out.to)) out = {kEverywhere, kEverywhere};
    return out;
  };
  std::vector<uint32_t> order(segments.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  const Real whole = static_cast<Real>(width);
  return Rasterise(width, height, top, bottom, [&](Real yc) {
    for (Segment& s : segments) {
      s.now = yc < s.top || yc >= s.bottom ? Interval{kEverywhere, kEverywhere} : segment_row(s, yc);
      if (s.now.from <= 0 && s.now.to >= whole) return Row{{0, whole}};  // the whole row
    }
    for (size_t i = 1; i < order.size(); ++i)
      for (size_t j = i; j > 0 && segments[order[j - 1]].now.from > segments[order[j]].now.from; --j)
        std::swap(order[j - 1], order[j]);
    Row row;
    for (uint32_t i : order) {
      if (segments[i].now.from >= kEverywhere) break;
      row.push_back(segments[i].now);
    }
    return Merged(std::move(row));
  });
}

}  // namespace qv
