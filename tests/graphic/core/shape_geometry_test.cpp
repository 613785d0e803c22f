#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "box_geometry.h"

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

}  // namespace
}  // namespace qv
