// Shapes whose platform drawing took minutes under the surface lock: each must end (a watchdog
// ends the program after 20 s, far above the milliseconds they take) and draw what it should.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "drawing_test_support.h"
#include "surface_clear.h"
#include "surface_drawing.h"
#include "surface_pen.h"

namespace qv {
namespace {

using namespace testing;

constexpr DWORD kHangBoundMs = 20000;
constexpr int32_t kLine = 0x00204080;

// 256 slanted stripes of four corners each: 1024 points over a square canvas of the size.
std::vector<float> Stripes(float size) {
  std::vector<float> xy;
  for (int i = 0; i < 256; ++i) {
    float x = -50.0f + i * size / 240;
    xy.insert(xy.end(), {x, -10.0f, x + 2, -10.0f, x + size / 3 + 2, size + 10, x + size / 3, size + 10});
  }
  return xy;
}

// 1024 points scattered over the whole reach of a 100 x 100 canvas: long segments crossing
// each other everywhere, the platform's worst wide polyline.
std::vector<float> Scatter() {
  std::vector<float> xy;
  for (int i = 0; i < 1024; ++i)
    xy.insert(xy.end(), {-8000.0f + (i * 7919) % 16100, -8000.0f + (i * 104729 % 16100)});
  return xy;
}

struct Bounded : MemoryCanvas {
  void Draw(const std::string& what, int32_t pen, int32_t mix, const std::function<void()>& draw) {
    SurfaceSetPenWidth(pen);
    SurfaceSetMix(mix);
    {
      HangWatch watch(what, kHangBoundMs);
      draw();
    }
    SurfaceSetMix(0);
    SurfaceSetPenWidth(0);
  }
};

// A pen of 8193 over 1024 corners: the outline covers the whole canvas, painted once whatever
// the mix (exclusive or leaves one colour, not white again), on a canvas painted in one piece
// and on one painted in several bands.
TEST_F(Bounded, WidePolygonOfAThousandCornersCoversTheCanvasOnce) {
  for (auto [width, height] : {std::pair{1000, 1000}, {3000, 1000}}) {
    Make(width, height);
    for (auto [mix, expected] : {std::pair{13, kLine}, {7, kLine ^ kWhite}}) {
      SurfaceClear(kWhite, 0);
      Draw("a 1024-point polygon with pen 8193, mix " + std::to_string(mix), 8193, mix, [] {
        PushPoints(1024, Stripes(1000));
        SurfacePolygon(kLine, kGreen, 0, 0);
      });
      EXPECT_EQ(Snapshot().Count(expected), size_t(width) * height) << width << ", mix " << mix;
    }
  }
}

// 1024 points scattered within the platform's reach with a pen of 3: the line covers every
// pixel the one-pixel pen draws, and exclusive or paints each pixel once.
TEST_F(Bounded, WideScatterWithinReachCoversItsThinLineOnce) {
  PushPoints(1024, Scatter());
  SurfacePolyline(kLine);
  Canvas thin = Snapshot();
  SurfaceClear(kWhite, 0);
  Draw("a 1024-point polyline within reach with pen 3", 3, 7, [] {
    PushPoints(1024, Scatter());
    SurfacePolyline(kLine);
  });
  Canvas wide = Snapshot();
  EXPECT_EQ(wide.Count(kWhite) + wide.Count(kLine ^ kWhite), 100u * 100);
  EXPECT_GT(wide.Count(kLine ^ kWhite), thin.Count(kLine));
  for (int32_t y = 0; y < 100; ++y)
    for (int32_t x = 0; x < 100; ++x)
      if (thin.At(x, y) == kLine) {
        ASSERT_EQ(wide.At(x, y), kLine ^ kWhite) << x << "," << y;
      }
}

// The platform's own polygon fill of 1024 corners within reach, and wide-pen curves within
// reach: each ends and draws.
TEST_F(Bounded, ManyCornersAndWideCurvesWithinReachEnd) {
  Make(300, 200);
  Draw("a 1024-point polygon within reach", 0, 13, [] {
    PushPoints(1024, Scatter());
    SurfacePolygon(kLine, kGreen, 0, 1);
  });
  EXPECT_GT(Snapshot().Count(kGreen), 0u);
  Draw("an ellipse within reach with pen 3", 3, 13,
       [] { SurfaceBox(-8000, -8000, 8300, 8200, static_cast<int32_t>(0x80000000), kLine, kBlue, 0); });
  EXPECT_EQ(Snapshot().Count(kBlue), 300u * 200);
  Draw("an arc within reach with pen 5", 5, 6, [] { SurfaceArc(-8000, -8000, 8300, 8200, 0.1f, 6.2f, kLine, -2, 0, 0); });
  Draw("a rounded box within reach with pen 9", 9, 13, [] { SurfaceBox(-8000, -8000, 8300, 8200, 30, kLine, kRed, 3); });
  EXPECT_GT(Snapshot().Count(kRed), 0u);
}

}  // namespace
}  // namespace qv
