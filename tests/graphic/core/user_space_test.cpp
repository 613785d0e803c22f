#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "float_integer.h"
#include "pixel_round.h"
#include "user_space.h"

namespace qv {
namespace {

constexpr int32_t kFar = std::numeric_limits<int32_t>::min();

UserSpace Area(int32_t width, int32_t height) {
  UserSpace s;
  s.clip_width = width;
  s.clip_height = height;
  return s;
}

int32_t MapX(const UserSpace& s, long double x) { return MapUserPoint(s, x, 0, false).x; }
int32_t MapY(const UserSpace& s, long double y) { return MapUserPoint(s, 0, y, false).y; }

TEST(UserSpace, PixelRoundIsTheRunTimesRule) {
  const long double inf = std::numeric_limits<long double>::infinity();
  for (long double v : {0.0L, -0.0L, 0.5L, 1.5L, 2.5L, -0.5L, -1.5L, -2.5L, 0.49999999999L, 7.25L, -7.75L,
                        2147483647.0L, 2147483647.4L, 2147483647.5L, 2147483648.0L, -2147483648.0L,
                        -2147483648.4L, -2147483648.5L, -2147483648.6L, -2147483649.0L, 1e300L, -1e4000L, inf,
                        -inf, std::nanl(""), 0x1p63L, -0x1p63L, 0x1p64L})
    EXPECT_EQ(PixelRound(v), FloatToInteger(v)) << static_cast<double>(v);
}

TEST(UserSpace, PixelsRoundToNearestEvenAndMoveByTheClipOrigin) {
  UserSpace s = Area(100, 100);
  s.clip_x = 7;
  s.clip_y = 3;
  EXPECT_EQ(MapUserPoint(s, 2.5L, 3.5L, false), (PixelPoint{2 + 7, 4 + 3}));
  EXPECT_EQ(MapUserPoint(s, -0.5L, 0.4999L, false), (PixelPoint{0 + 7, 0 + 3}));
  s.current_x = 50;
  s.current_y = 60;
  EXPECT_EQ(MapUserPoint(s, -1.5L, 2.5L, true), (PixelPoint{48, 62}));
}

TEST(UserSpace, TenByTenOnAHundredPixels) {
  UserSpace s = Area(100, 100);
  ASSERT_TRUE(ScaleUserSpace(s, 0, 0, 10, 10, false));
  EXPECT_EQ(s.scale_x, 10.0f);
  EXPECT_EQ(s.scale_y, 10.0f);
  EXPECT_EQ(MapX(s, 5), 50);
  EXPECT_EQ(MapX(s, 0.25L), 2);  // 2.5 goes to the even neighbour
  EXPECT_EQ(MapX(s, 0.35L), 4);  // 3.5 likewise
  EXPECT_EQ(MapX(s, 10), 100);
  // Inclusive end points leave room for the last pixel: 10 maps to 99.
  ASSERT_TRUE(ScaleUserSpace(s, 0, 0, 10, 10, true));
  EXPECT_FLOAT_EQ(s.scale_x, 9.9f);
  EXPECT_EQ(MapX(s, 10), 99);
}

TEST(UserSpace, FlippedAxes) {
  UserSpace s = Area(100, 100);
  ASSERT_TRUE(ScaleUserSpace(s, 0, 100, 100, 0, false));
  EXPECT_FALSE(s.flip_x);
  EXPECT_TRUE(s.flip_y);
  EXPECT_EQ(s.origin_y, 0.0f);
  EXPECT_EQ(MapY(s, 100), 0);  // the top row
  EXPECT_EQ(MapY(s, 0), 100);
  EXPECT_EQ(MapY(s, 25), 75);
  // Rounded before mirroring: 99 - round(2.5) = 97, where round(99 - 2.5) would be 96.
  s.clip_height = 99;
  EXPECT_EQ(MapY(s, 2.5L), 97);

  // A relative step up in user units goes up the screen.
  s = Area(200, 200);
  ASSERT_TRUE(ScaleUserSpace(s, 20, 20, 0, 0, false));
  EXPECT_TRUE(s.flip_x);
  EXPECT_TRUE(s.flip_y);
  EXPECT_EQ(s.origin_x, 0.0f);
  s.current_x = 100;
  s.current_y = 100;
  EXPECT_EQ(MapUserPoint(s, 1, 2, true), (PixelPoint{90, 80}));
  EXPECT_EQ(MapUserPoint(s, 5, 5, false), (PixelPoint{150, 150}));
}

TEST(UserSpace, ScaleRejectsEmptySpansAndFallsBackToPixels) {
  UserSpace s = Area(100, 100);
  ASSERT_TRUE(ScaleUserSpace(s, 0, 0, 50, 50, false));
  UserSpace before = s;
  EXPECT_FALSE(ScaleUserSpace(s, 3, 0, 3, 10, false));
  EXPECT_FALSE(ScaleUserSpace(s, 0, 4, 10, 4, false));
  EXPECT_FALSE(ScaleUserSpace(s, std::nanl(""), 0, 10, 10, false));
  EXPECT_EQ(s.scale_x, before.scale_x);
  EXPECT_EQ(s.origin_x, before.origin_x);
  // The identity system is plain pixels again.
  ASSERT_TRUE(ScaleUserSpace(s, 0, 0, 100, 100, false));
  EXPECT_EQ(s.scale_x, 0.0f);
  EXPECT_EQ(s.scale_y, 0.0f);
  ASSERT_TRUE(ScaleUserSpace(s, 0, 0, 99, 99, true));
  EXPECT_EQ(s.scale_x, 0.0f);
  // Flipped with unit scale stays a user system.
  ASSERT_TRUE(ScaleUserSpace(s, 100, 0, 0, 100, false));
  EXPECT_EQ(s.scale_x, 1.0f);
  EXPECT_TRUE(s.flip_x);
}

TEST(UserSpace, FarCoordinatesMapToTheOutOfRangeValue) {
  UserSpace s = Area(100, 100);
  const long double inf = std::numeric_limits<long double>::infinity();
  for (long double v : {3e9L, -3e9L, inf, -inf, std::nanl(""), 2147483647.5L}) {
    EXPECT_EQ(MapX(s, v), kFar) << static_cast<double>(v);
    EXPECT_EQ(MapUserPoint(s, v, 0, true).x, kFar);
  }
  EXPECT_EQ(MapX(s, 2147483647.0L), 2147483647);
  s.clip_x = 1;  // in range before the clip origin, out of it after
  EXPECT_EQ(MapX(s, 2147483647.0L), kFar);
  s.current_y = -10;
  EXPECT_EQ(MapUserPoint(s, 0, -2147483640.0L, true).y, kFar);
  // A tiny span makes the scale overflow float32: stored as infinity, every point is far.
  s = Area(100, 100);
  ASSERT_TRUE(ScaleUserSpace(s, 0, 0, 1e-38L, 1e-38L, false));
  EXPECT_TRUE(std::isinf(s.scale_x));
  EXPECT_EQ(MapX(s, 1), kFar);
  EXPECT_EQ(MapX(s, 0), kFar);  // 0 x infinity is NaN
  EXPECT_EQ(ToFloat32(1e39L), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToFloat32(-1e39L), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToFloat32(0x1p128L - 0x1p104L), 0x1.fffffep127f);  // rounds down to the largest
}

TEST(UserSpace, LengthsAndPointsBackInUserUnits) {
  UserSpace s = Area(200, 100);
  EXPECT_EQ(UserLengthToPixels(s, 12.5L, Axis::kX), 12);
  EXPECT_EQ(PixelsToUserLength(s, 7, Axis::kY), 7);
  ASSERT_TRUE(ScaleUserSpace(s, 0, 10, 20, 0, false));  // 10 px per unit across, 10 down
  EXPECT_EQ(UserLengthToPixels(s, 1.25L, Axis::kX), 12);
  EXPECT_EQ(UserLengthToPixels(s, 1.35L, Axis::kY), 14);
  EXPECT_EQ(UserLengthToPixels(s, 1e12L, Axis::kY), kFar);
  EXPECT_EQ(PixelsToUserLength(s, 25, Axis::kX), 2.5L);
  s.clip_x = 10;
  s.clip_y = 5;
  for (long double x : {0.0L, 3.0L, 19.5L})
    for (long double y : {0.0L, 2.5L, 10.0L}) {
      PixelPoint p = MapUserPoint(s, x, y, false);
      UserPoint back = PixelToUserPoint(s, p.x, p.y);
      EXPECT_NEAR(static_cast<double>(back.x), static_cast<double>(x), 0.05);
      EXPECT_NEAR(static_cast<double>(back.y), static_cast<double>(y), 0.05);
    }
  UserSpace pixels = Area(50, 50);
  pixels.clip_x = 4;
  UserPoint p = PixelToUserPoint(pixels, 14, 9);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 9);
}

}  // namespace
}  // namespace qv
