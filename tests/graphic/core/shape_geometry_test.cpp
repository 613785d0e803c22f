#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "box_geometry.h"
#include "polygon_clip.h"

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

TEST(PolygonClip, FarCornersAreCutAtTheMargin) {
  ClipBox box = CanvasClipBox(100, 80);
  EXPECT_EQ(box.left, -kPolygonClipMargin);
  EXPECT_EQ(box.bottom, 80 + kPolygonClipMargin);
  std::vector<PixelPoint> near{{0, 0}, {100, 0}, {50, 80}};
  EXPECT_TRUE(PolygonInside(near, box));
  EXPECT_EQ(ClipPolygon(near, box), near);

  const int32_t far = 2000000000;
  std::vector<PixelPoint> tall{{10, 10}, {90, 10}, {50, far}};
  EXPECT_FALSE(PolygonInside(tall, box));
  std::vector<PixelPoint> cut = ClipPolygon(tall, box);
  ASSERT_EQ(cut.size(), 4u);  // the tip is cut off along the bottom side
  EXPECT_TRUE(PolygonInside(cut, box));
  for (const PixelPoint& p : cut)
    if (p.y == box.bottom) {
      // On the original sides: x = 10 + 40 * (y - 10) / (far - 10), rounded.
      long double t = static_cast<long double>(box.bottom - 10) / (far - 10);
      EXPECT_TRUE(std::fabs(p.x - (10 + 40 * t)) <= 0.5L || std::fabs(p.x - (90 - 40 * t)) <= 0.5L) << p.x;
    }
  // Wholly outside: nothing left.
  EXPECT_TRUE(ClipPolygon({{far, far}, {far, far - 5}, {far - 5, far}}, box).empty());
  // Around the box: the box itself is left.
  std::vector<PixelPoint> around = ClipPolygon({{-far, -far}, {far, -far}, {far, far}, {-far, far}}, box);
  ASSERT_EQ(around.size(), 4u);
  for (const PixelPoint& p : around) {
    EXPECT_TRUE(p.x == box.left || p.x == box.right);
    EXPECT_TRUE(p.y == box.top || p.y == box.bottom);
  }
  ClipBox huge = CanvasClipBox(std::numeric_limits<int32_t>::max(), 10);
  EXPECT_EQ(huge.right, std::numeric_limits<int32_t>::max());
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
  for (size_t i = 0; i < got.size(); ++i)
    if (expected.inside[i] >= 0)
      ASSERT_EQ(got[i], expected.inside[i]) << what << " at " << i % expected.width << "," << i / expected.width;
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
  // A plain box: its inside covers left .. right - 1, its outline the pixels at its edges.
  BoxShape box{10, 5, 30, 20, 0, 0};
  ShapeSpans spans = RoundBoxSpans(box, {0, true, true}, 40, 30);
  ExpectSpans(spans.fill, Expected(40, 30, [](int32_t x, int32_t y) { return x >= 10 && x < 30 && y >= 5 && y < 20; }),
              "box");
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

}  // namespace
}  // namespace qv
