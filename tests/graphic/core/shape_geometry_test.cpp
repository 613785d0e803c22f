#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "box_geometry.h"
#include "pen_dashes.h"

namespace qv {
namespace {

TEST(BoxGeometry, CornersOrderedAndInclusiveEnds) {
  BoxShape b = BoxGeometry({30, 40}, {10, 20}, 0, false);
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(b.top, 20);
  EXPECT_EQ(b.right, 30);
  EXPECT_EQ(b.bottom, 40);
  EXPECT_EQ(b.corner_width, 0);
  b = BoxGeometry({30, 40}, {10, 20}, 0, true);
  EXPECT_EQ(b.right, 31);
  EXPECT_EQ(b.bottom, 41);
  // Compared unsigned: a negative coordinate is the larger corner.
  b = BoxGeometry({-5, 0}, {10, 10}, 0, true);
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(b.right, -4);
  b = BoxGeometry({0, 0}, {std::numeric_limits<int32_t>::max(), 5}, 0, true);
  EXPECT_EQ(b.right, std::numeric_limits<int32_t>::max());
}

TEST(BoxGeometry, CornerSizes) {
  BoxShape b = BoxGeometry({0, 0}, {40, 20}, 50, false);
  EXPECT_EQ(b.corner_width, 10);  // half of min(40, 20)
  EXPECT_EQ(b.corner_height, 10);
  EXPECT_EQ(BoxGeometry({0, 0}, {40, 20}, 33, false).corner_width, 6);  // 660 / 100
  EXPECT_EQ(BoxGeometry({0, 0}, {40, 20}, 250, false).corner_width, 20);
  EXPECT_EQ(BoxGeometry({0, 0}, {40, 20}, 0xFFFFFFFFu, false).corner_width, 20);
  // A square with full corners: the corner ellipse spans the whole side.
  b = BoxGeometry({0, 0}, {30, 30}, 100, true);
  EXPECT_EQ(b.corner_width, 31);
  EXPECT_EQ(b.corner_width, b.right - b.left);
  b = BoxGeometry({5, 5}, {45, 25}, kCornerEllipse, false);
  EXPECT_EQ(b.corner_width, 41);
  EXPECT_EQ(b.corner_height, 21);
  b = BoxGeometry({std::numeric_limits<int32_t>::min(), 0}, {std::numeric_limits<int32_t>::max(), 0},
                  kCornerEllipse, true);
  EXPECT_EQ(b.corner_width, std::numeric_limits<int32_t>::max());
  EXPECT_GE(b.corner_height, 0);
}

TEST(ArcGeometry, RadialPointsFromTheBoxCentre) {
  const long double pi = std::numbers::pi_v<long double>;
  ArcRadials r = ArcRadialPoints({0, 0}, {99, 99}, 0, pi / 2);
  EXPECT_EQ(r.start, (PixelPoint{5050, 50}));  // centre (50, 50), to the right
  EXPECT_EQ(r.end, (PixelPoint{50, -4950}));   // straight up
  // Centre (15.5, 20.5): halves go to the even neighbour.
  r = ArcRadialPoints({10, 10}, {20, 30}, 0, pi);
  EXPECT_EQ(r.start, (PixelPoint{5016, 20}));
  EXPECT_EQ(r.end.x, -4984);
}

TEST(ArcGeometry, BadAnglesAreFar) {
  ArcRadials r = ArcRadialPoints({0, 0}, {9, 9}, std::numeric_limits<long double>::infinity(), std::nanl(""));
  EXPECT_EQ(r.start.x, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(r.end.y, std::numeric_limits<int32_t>::min());
}


// Far shapes as spans, against a per-pixel check written the other way round: an angle by
// atan2, a distance to a segment by projection. Pixels whose centre lies within a hair of an
// outline may go either way; all others must agree.
struct PixelSet {
  int32_t width, height;
  std::vector<int> inside;  // -1 near the outline (either way), 0 out, 1 in
};

template <typename Test>
PixelSet Expected(int32_t width, int32_t height, Test test) {
  PixelSet set{width, height, std::vector<int>(size_t(width) * height)};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) set.inside[size_t(y) * width + x] = test(x, y);
  return set;
}

void ExpectSpans(const std::vector<Span>& spans, const PixelSet& expected, const char* what) {
  std::vector<int> got(expected.inside.size());
  int32_t last_y = -1, last_right = 0;
  for (const Span& s : spans) {
    ASSERT_TRUE(s.y >= 0 && s.y < expected.height && s.left >= 0 && s.left < s.right && s.right <= expected.width)
        << what;
    ASSERT_TRUE(s.y > last_y || s.left > last_right) << what << ": spans out of order at row " << s.y;
    last_y = s.y;
    last_right = s.right;
    for (int32_t x = s.left; x < s.right; ++x) got[size_t(s.y) * expected.width + x] = 1;
  }
  for (size_t i = 0; i < got.size(); ++i) {
    if (expected.inside[i] >= 0) {
      ASSERT_EQ(got[i], expected.inside[i]) << what << " at " << i % expected.width << "," << i / expected.width;
    }
  }
}

// In, out or near (within e) from a signed margin: positive inside.
int Judge(long double margin, long double e = 1e-6L) { return margin > e ? 1 : margin < -e ? 0 : -1; }

TEST(ShapeSpans, PiesArcsAndStrokesNearAndFar) {
  const long double pi = std::numbers::pi_v<long double>;
  struct Case {
    PixelPoint a, b;
    long double start, end;
  };
  const Case cases[] = {
      {{5, 8}, {57, 44}, 0.3L, 2.5L},                       // on the canvas
      {{5, 8}, {57, 44}, 2.5L, 0.3L},                       // the long way round
      {{-2000000, -2000000}, {2000000, 2000000}, 0, 6},     // far, around the corner
      {{-3000000, 10}, {40, 30}, 1.0L, 5.5L},               // a long thin ellipse ending inside
      {{30, 30}, {31, 31}, 0, 0},                           // one pixel, the whole ellipse
  };
  for (const Case& c : cases) {
    ArcRadials radials = ArcRadialPoints(c.a, c.b, c.start, c.end);
    ShapeSpans spans = ArcSpans(c.a, c.b, radials, true, {1, true, true}, 64, 48);
    long double l = std::min(c.a.x, c.b.x), r = std::max(c.a.x, c.b.x) - 1.0L;
    long double t = std::min(c.a.y, c.b.y), b = std::max(c.a.y, c.b.y) - 1.0L;
    long double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    long double s_angle = std::atan2(-(radials.start.y - cy), radials.start.x - cx);
    long double sweep = std::fmod(std::atan2(-(radials.end.y - cy), radials.end.x - cx) - s_angle + 4 * pi, 2 * pi);
    if (sweep == 0) sweep = 2 * pi;
    PixelSet fill = Expected(64, 48, [&](int32_t x, int32_t y) {
      long double e = 1 - std::hypot((x - cx) / rx, (y - cy) / ry);
      long double from_start = std::fmod(std::atan2(-(y - cy), x - cx) - s_angle + 4 * pi, 2 * pi);
      long double angular = std::min(sweep - from_start, from_start) * std::hypot(x - cx, y - cy);
      if (sweep == 2 * pi) angular = 1;
      if (from_start > sweep) angular = -std::min(from_start - sweep, 2 * pi - from_start) * std::hypot(x - cx, y - cy);
      return Judge(std::min(e * std::min(rx, ry), angular), 1e-3L);
    });
    ExpectSpans(spans.fill, fill, "pie");
  }
  // A stroke: every pixel within half the pen of the path, here also far beyond the canvas.
  const std::vector<PixelPoint> path = {{-5000000, 20}, {30, 25}, {50, -4000000}};
  for (int64_t pen : {0, 1, 9, 3000000}) {
    long double half = std::max<int64_t>(pen, 1) / 2.0L;
    PixelSet stroke = Expected(64, 48, [&](int32_t x, int32_t y) {
      long double nearest = 1e300L;
      for (size_t i = 0; i + 1 < path.size(); ++i) {
        long double px = path[i].x, py = path[i].y, dx = path[i + 1].x - px, dy = path[i + 1].y - py;
        long double t = std::clamp(((x - px) * dx + (y - py) * dy) / (dx * dx + dy * dy), 0.0L, 1.0L);
        nearest = std::min(nearest, std::hypot(x - px - t * dx, y - py - t * dy));
      }
      return Judge(half - nearest, 1e-3L);
    });
    ExpectSpans(StrokeSpans(path, false, pen, 64, 48), stroke, "stroke");
  }
}

TEST(ShapeSpans, BoxesAndTheReachOfThePlatform) {
  // A plain box: its outline covers the pixels at its edges, left .. right - 1; its inside,
  // as the platform fills it without a pen, leaves the last column and row open, and with a
  // thin pen reaches under the whole outline.
  BoxShape box{10, 5, 30, 20, 0, 0};
  ExpectSpans(RoundBoxSpans(box, {0, false, true}, 40, 30).fill,
              Expected(40, 30, [](int32_t x, int32_t y) { return x >= 10 && x < 29 && y >= 5 && y < 19; }), "box");
  ShapeSpans spans = RoundBoxSpans(box, {0, true, true}, 40, 30);
  ExpectSpans(spans.fill, Expected(40, 30, [](int32_t x, int32_t y) { return x >= 10 && x < 30 && y >= 5 && y < 20; }),
              "box under a thin pen");
  ExpectSpans(spans.outline, Expected(40, 30, [](int32_t x, int32_t y) {
                return (x >= 10 && x < 30 && y >= 5 && y < 20) && (x == 10 || x == 29 || y == 5 || y == 19);
              }),
              "box outline");
  // A rounded box a million pixels round holds the canvas: all inside, no outline here.
  spans = RoundBoxSpans(BoxGeometry({-2000000, -2000000}, {2000000, 2000000}, 50, false), {5, true, true}, 40, 30);
  EXPECT_EQ(spans.fill.size(), 30u);
  EXPECT_TRUE(spans.outline.empty());
  EXPECT_TRUE(RoundBoxSpans(box, {0, false, false}, 40, 30).fill.empty());

  EXPECT_TRUE(WithinReach({-8000, 0}, {100, 100}, 100, 100, 100));
  EXPECT_FALSE(WithinReach({-8000, 0}, {100, 100}, 200, 100, 100));
  EXPECT_FALSE(WithinReach({0, 0}, {100, std::numeric_limits<int32_t>::max()}, 0, 100, 100));
  EXPECT_FALSE(WithinReach({std::numeric_limits<int32_t>::min(), 0}, {0, 0}, 0, 100, 100));
}

TEST(ShapeSpans, PolygonsByWindingAndAlternation) {
  // A star in one stroke (its centre is wound twice), a far triangle, and one reaching the
  // 32-bit edge: against the winding number of each pixel's centre, counted by a ray.
  const std::vector<std::vector<PixelPoint>> polygons = {
      {{30, 2}, {48, 45}, {5, 16}, {55, 16}, {12, 45}},
      {{-2000000000, 3}, {2000000000, 40}, {20, 2000000000}},
      {{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()}, {60, 10}, {10, 40}},
  };
  for (const auto& polygon : polygons)
    for (bool alternate : {false, true}) {
      PixelSet expected = Expected(64, 48, [&](int32_t x, int32_t y) {
        int winding = 0;
        long double nearest = 1e300L;
        for (size_t i = 0; i < polygon.size(); ++i) {
          long double px = polygon[i].x, py = polygon[i].y;
          long double qx = polygon[(i + 1) % polygon.size()].x, qy = polygon[(i + 1) % polygon.size()].y;
          if ((py <= y) != (qy <= y)) {  // the edge crosses the row: left or right of the pixel?
            long double cx = px + (y - py) * (qx - px) / (qy - py);
            if (cx > x) winding += qy > py ? 1 : -1;
            nearest = std::min(nearest, std::fabs(cx - x));
          }
        }
        bool inside = alternate ? (winding & 1) != 0 : winding != 0;
        return nearest < 1e-3L ? -1 : inside ? 1 : 0;
      });
      ExpectSpans(PolygonSpans(polygon, alternate, 64, 48), expected, alternate ? "alternate" : "winding");
    }
  EXPECT_TRUE(PointsWithinReach({{0, 0}, {-8192, 100}}, 100, 100));
  EXPECT_FALSE(PointsWithinReach({{0, 0}, {-8193, 100}}, 100, 100));
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// The inside of a shape loses the pixels of its outline, row by row.
TEST(ShapeSpans, InsideWithoutTheOutline) {
  struct Case {
    std::vector<Span> spans, cut, expected;
  };
  const Case cases[] = {
      {{{0, 0, 10}}, {{0, 0, 2}, {0, 8, 10}}, {{0, 2, 8}}},
      {{{0, 0, 10}, {1, 0, 10}}, {{1, 3, 4}}, {{0, 0, 10}, {1, 0, 3}, {1, 4, 10}}},
      {{{0, 2, 4}, {0, 6, 9}}, {{0, 0, 3}, {0, 3, 7}, {0, 8, 20}}, {{0, 7, 8}}},
      {{{2, 0, 5}}, {{0, 0, 5}, {1, 0, 5}, {3, 0, 5}}, {{2, 0, 5}}},
      {{{0, 0, 5}}, {{0, 0, 5}}, {}},
      {{}, {{0, 0, 5}}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SpansWithout(c.spans, c.cut), c.expected);
}

// The platform gets a shape while rows times edges stay within its budget.
TEST(ShapeSpans, ThePlatformsBudget) {
  std::vector<PixelPoint> tall{{0, 0}, {5, 16383}}, short_row{{0, 7}, {900, 7}};
  EXPECT_TRUE(PlatformAffords(tall, 0, 8));
  EXPECT_FALSE(PlatformAffords(tall, 0, 9));
  EXPECT_FALSE(PlatformAffords(tall, 1000, 4 * 4));
  EXPECT_TRUE(PlatformAffords(short_row, 0, 1024 * 1024 / 8));
  EXPECT_FALSE(PlatformAffords({{0, INT32_MIN}, {0, INT32_MAX}}, 0, 1));
  EXPECT_TRUE(PlatformAffords({}, 0, 1));
}

// A thin pen's patterns by step, wrapping both ways; styles outside 1-4 are solid.
TEST(PenDashes, PatternsByStep) {
  struct Case {
    int32_t style;
    int64_t step;
    bool dash;
  } cases[] = {{1, 0, true},   {1, 17, true},  {1, 18, false}, {1, 23, false}, {1, 24, true},  {1, -1, false},
               {2, 2, true},   {2, 3, false},  {2, 6, true},   {3, 9, false},  {3, 15, true},  {3, 18, false},
               {4, 12, true},  {4, 15, false}, {4, 18, true},  {4, 21, false}, {0, 20, true},  {5, 20, true},
               {-1, 20, true}, {std::numeric_limits<int32_t>::min(), 20, true}, {1, INT64_MIN + 5, false}};  // -2^63 + 5 is 21 modulo 24
  for (const Case& c : cases) EXPECT_EQ(OnDash(c.style, c.step), c.dash) << c.style << " " << c.step;
}

// The walk round an ellipse grows counter-clockwise on the screen from the rightmost point, a
// quarter (the steps along its major axes) at each axis. A flat ellipse is walked there and
// back, so each point has one of its two counts; radii of 0 walk nowhere.
TEST(PenDashes, WalkRoundAnEllipse) {
  for (auto [rx, ry] : {std::pair{40.0, 40.0}, {90.0, 7.0}, {3.0, 200.0}, {0.0, 12.0}, {12.0, 0.0}}) {
    EllipseWalk walk(rx, ry);
    EXPECT_NEAR(walk.Quarter(), std::hypot(rx, ry), 1e-9);
    double last = -1;
    for (int i = 0; i <= 360; ++i) {
      double a = i * std::numbers::pi / 180;
      double at = walk.At(rx * std::cos(a), -ry * std::sin(a));
      EXPECT_TRUE(at >= 0 && at <= walk.Whole()) << rx << " x " << ry << " at " << i;
      if (rx > 0 && ry > 0) {
        EXPECT_GE(at, last - 1e-9) << rx << " x " << ry << " at " << i;
      }
      last = at;
    }
    if (rx > 0 && ry > 0) {
      EXPECT_NEAR(walk.At(0, -ry), walk.Quarter(), 1e-9);
      EXPECT_NEAR(walk.At(-rx, 0), 2 * walk.Quarter(), 1e-9);
      EXPECT_NEAR(walk.At(0, ry), 3 * walk.Quarter(), 1e-9);
    }
  }
  EXPECT_EQ(EllipseWalk(0, 0).At(0, 0), 0);
  // Pies one pixel wide and of one pixel: a walk of no length still puts its pixels somewhere.
  for (PixelPoint b : {PixelPoint{6, 30}, PixelPoint{6, 6}}) {
    ShapeSpans pie = ArcSpans({5, 5}, b, ArcRadialPoints({5, 5}, b, 0.5L, 2.0L), true, {0, true, true, 2}, 40, 40);
    EXPECT_FALSE(pie.outline.empty() && pie.gaps.empty()) << b.y;
  }
}

}  // namespace
}  // namespace qv
