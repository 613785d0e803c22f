#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

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

}  // namespace
}  // namespace qv
