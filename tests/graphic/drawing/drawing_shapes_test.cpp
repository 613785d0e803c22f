#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "drawing_test_support.h"
#include "frame.h"
#include "surface.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_drawing.h"
#include "surface_map_point.h"
#include "surface_pen.h"

namespace qv {
namespace {

using namespace testing;

// Whether a pixel of the colour lies in row y between x0 and x1 (or column x, rows y0-y1).
bool RowHas(const Canvas& c, int32_t y, int32_t x0, int32_t x1, int32_t colour) {
  for (int32_t x = x0; x <= x1; ++x)
    if (c.At(x, y) == colour) return true;
  return false;
}
bool ColumnHas(const Canvas& c, int32_t x, int32_t y0, int32_t y1, int32_t colour) {
  for (int32_t y = y0; y <= y1; ++y)
    if (c.At(x, y) == colour) return true;
  return false;
}

class Shapes : public MemoryCanvas {
 protected:
  WindowRecord& Record() { return *RecordFind(surface_); }
  void Inclusive(bool on) { SurfaceSetInclusiveEnds(on); }
};

TEST_F(Shapes, UserCoordinatesPlacePixels) {
  SurfaceScale(0, 0, 10, 10);  // 10 pixels per unit on 100 x 100
  SurfaceSetPixel(5, 5, 0, kRed);
  SurfaceSetPixel(0.25f, 0.75f, 0, kBlue);  // 2.5 -> 2 and 7.5 -> 8
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(50, 50), kRed);
  EXPECT_EQ(c.At(2, 8), kBlue);
  EXPECT_EQ(c.Count(kWhite), 100u * 100 - 2);
  EXPECT_EQ(SurfaceGetPixel(5, 5, 0), kRed);

  SurfaceScale(0, 100, 100, 0);  // y runs upwards
  SurfaceSetPixel(0, 100, 0, kGreen);
  EXPECT_EQ(Snapshot().At(0, 0), kGreen);
  // A relative step up in user units goes up the canvas.
  SurfaceMoveTo(50, 50, 0);
  SurfaceSetPixel(1, 2, 1, kBlack);
  EXPECT_EQ(Snapshot().At(51, 48), kBlack);
  EXPECT_EQ(Record().current_x, 51);
  EXPECT_EQ(Record().current_y, 48);

  SurfaceScale(0, 0, 100, 100);  // back to pixels
  EXPECT_EQ(Record().scale_x, 0.0f);
  EXPECT_EQ(Record().flags & (kSurfaceFlipX | kSurfaceFlipY), 0u);
  SurfaceScale(3, 3, 3, 9);  // an empty span changes nothing
  EXPECT_EQ(Record().scale_x, 0.0f);
}

TEST_F(Shapes, FarCoordinatesDrawNothing) {
  const float inf = std::numeric_limits<float>::infinity();
  for (float distant : {1e30f, -1e30f, inf, std::nanf("")}) {
    SurfaceSetPixel(distant, 5, 0, kRed);
    EXPECT_EQ(Record().current_x, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(SurfaceGetPixel(distant, 5, 0), -1);
  }
  // Shapes reaching far beyond the canvas are cut to it, quickly.
  DWORD start = GetTickCount();
  SurfaceMoveTo(10, 10, 0);
  SurfaceLineTo(3e9f, 20, 0, kRed);
  SurfaceLineTo(-3e9f, -3e9f, 0, kRed);
  SurfaceBox(10, 10, 1e30f, 1e30f, static_cast<int32_t>(0x80000000), kBlue, -2, 0);
  SurfaceBox(-1e30f, 50, 1e30f, 60, 50, kBlue, -2, 0);
  SurfaceArc(-1e20f, -1e20f, 1e20f, 1e20f, 0, 1, kBlue, kBlue, 0, kArcPie);
  PushPoints(3, {-1e30f, 0, 1e30f, 50, 50, 1e30f});
  SurfacePolygon(kBlue, kBlue, 0, 0);
  // A far corner still shapes what is on the canvas: the sides run almost straight down.
  SurfaceClear(kWhite, 0);
  PushPoints(3, {10, 10, 90, 10, 50, 2e9f});
  SurfacePolygon(kBlue, kBlue, 0, 0);
  EXPECT_LT(GetTickCount() - start, 5000u);  // milliseconds, not the seconds of a billion scan lines
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(11, 99), kBlue);
  EXPECT_EQ(c.At(88, 99), kBlue);
  EXPECT_EQ(c.At(8, 99), kWhite);
  EXPECT_EQ(c.At(92, 99), kWhite);
  SurfaceClear(kWhite, 0);

  SurfaceScale(0, 0, 1e-38f, 1e-38f);  // the scale overflows float32
  SurfaceSetPixel(0, 0, 0, kRed);
  SurfaceBox(0, 0, 1, 1, 0, kRed, kRed, 0);
  EXPECT_EQ(Snapshot().Count(kWhite), 100u * 100);
}

TEST_F(Shapes, LinesEndOnTheirLastPixelWhenInclusive) {
  SurfaceMoveTo(10, 10, 0);
  SurfaceLineTo(20, 10, 0, kRed);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(10, 10), kRed);
  EXPECT_EQ(c.At(19, 10), kRed);
  EXPECT_EQ(c.At(20, 10), kWhite);
  EXPECT_EQ(Record().current_x, 20);

  Inclusive(true);
  SurfaceLineTo(20, 30, 0, -1);  // the foreground colour
  c = Snapshot();
  EXPECT_EQ(c.At(20, 30), static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(c.At(20, 20), c.At(20, 30));
  // Relative line.
  SurfaceLineTo(-5, 0, 1, kBlue);
  c = Snapshot();
  EXPECT_EQ(c.At(15, 30), kBlue);
  EXPECT_EQ(c.At(16, 30), kBlue);
}

TEST_F(Shapes, BoxesCoverTheirRightAndBottomEdgeWhenInclusive) {
  SurfaceBox(30, 40, 10, 20, 0, kRed, kBlue, 0);  // corners in any order
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(10, 20), kRed);
  EXPECT_EQ(c.At(29, 39), kRed);
  EXPECT_EQ(c.At(20, 30), kBlue);
  EXPECT_EQ(c.At(30, 30), kWhite);
  EXPECT_EQ(c.At(20, 40), kWhite);
  Inclusive(true);
  SurfaceBox(50, 50, 70, 60, 0, kRed, -2, 0);  // hollow
  c = Snapshot();
  EXPECT_EQ(c.At(70, 55), kRed);
  EXPECT_EQ(c.At(60, 60), kRed);
  EXPECT_EQ(c.At(71, 55), kWhite);
  EXPECT_EQ(c.At(60, 55), kWhite);
}

TEST_F(Shapes, EllipseAndCircleCorneredSquare) {
  SurfaceBox(10, 10, 50, 40, static_cast<int32_t>(0x80000000), kRed, kRed, 0);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(11, 11), kWhite);  // outside the inscribed ellipse
  EXPECT_EQ(c.At(48, 38), kWhite);
  EXPECT_TRUE(RowHas(c, 10, 27, 32, kRed));  // the ellipse touches the middle of each side
  EXPECT_TRUE(ColumnHas(c, 10, 22, 27, kRed));
  EXPECT_TRUE(ColumnHas(c, 49, 22, 27, kRed));
  EXPECT_FALSE(ColumnHas(c, 50, 10, 40, kRed));
  EXPECT_EQ(c.At(30, 25), kRed);

  SurfaceBox(60, 60, 90, 90, 100, kBlue, -2, 0);  // corner ellipse spans the whole side
  c = Snapshot();
  EXPECT_TRUE(RowHas(c, 60, 73, 76, kBlue));
  EXPECT_TRUE(ColumnHas(c, 60, 73, 76, kBlue));
  EXPECT_FALSE(RowHas(c, 60, 60, 66, kBlue));  // no straight part left
  for (auto [x, y] : {std::pair{61, 61}, {88, 61}, {61, 88}, {88, 88}}) EXPECT_EQ(c.At(x, y), kWhite) << x << "," << y;
  // Corner 50 keeps a straight part of each side.
  SurfaceBox(10, 60, 40, 90, 50, kBlack, -2, 0);
  c = Snapshot();
  EXPECT_EQ(c.At(25, 60), kBlack);
  EXPECT_EQ(c.At(10, 60), kWhite);
}

TEST_F(Shapes, APieIsFilledAndAnArcIsNot) {
  const float quarter = std::numbers::pi_v<float> / 2;
  SurfaceArc(10, 10, 90, 90, 0, quarter, kRed, kBlue, 0, 0);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(65, 35), kWhite);
  EXPECT_EQ(c.Count(kBlue), 0u);
  EXPECT_GT(c.Count(kRed), 40u);
  EXPECT_TRUE(RowHas(c, 10, 45, 55, kRed));  // from the right end to the top of the circle
  EXPECT_TRUE(ColumnHas(c, 89, 45, 55, kRed));
  for (int32_t y = 52; y < 100; ++y) EXPECT_FALSE(RowHas(c, y, 0, 99, kRed)) << y;

  SurfaceArc(10, 10, 90, 90, 0, quarter, kRed, kBlue, 0, kArcPie);
  c = Snapshot();
  EXPECT_EQ(c.At(65, 35), kBlue);
  EXPECT_EQ(c.At(35, 65), kWhite);  // the opposite quarter stays empty
}

TEST_F(Shapes, PolygonsNeedTwoToAThousandAndTwentyFourPointsInTheirBlock) {
  int fill_mode = GetPolyFillMode(Record().memory_dc);
  PushPoints(3, {10, 10, 90, 10, 50, 90});
  SurfacePolygon(kRed, kBlue, 0, 1);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(50, 30), kBlue);
  EXPECT_EQ(c.At(10, 10), kRed);
  EXPECT_EQ(c.At(10, 80), kWhite);
  EXPECT_EQ(GetPolyFillMode(Record().memory_dc), fill_mode);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);

  SurfaceClear(kWhite, 0);
  PushPoints(1, {50, 50});
  SurfacePolygon(kRed, kRed, 0, 0);
  std::vector<float> many;
  for (int i = 0; i < 1025; ++i) many.insert(many.end(), {float(i % 100), float(i % 37)});
  PushPoints(1025, many);
  SurfacePolygon(kRed, kRed, 0, 0);
  PushPoints(4, {10, 10, 90, 10, 50, 90});  // claims more points than the block holds
  SurfacePolygon(kRed, kRed, 0, 0);
  PushPoints(3, {10, 10, 90, 10, 50, 90});
  SurfacePolyline(kRed);  // the polyline itself is fine...
  PushPoints(0xFFFFFFFF, {10, 10, 90, 10});
  SurfacePolyline(kBlue);  // ...a huge count is not
  c = Snapshot();
  EXPECT_EQ(c.Count(kBlue), 0u);
  EXPECT_GT(c.Count(kRed), 100u);
  EXPECT_EQ(c.At(50, 30), kWhite);  // not filled
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);

  // With 1024 points a polygon draws.
  many.resize(2 * 1024);
  PushPoints(1024, many);
  SurfacePolygon(kGreen, kGreen, 0, 0);
  EXPECT_GT(Snapshot().Count(kGreen), 0u);
}

TEST_F(Shapes, PolylineCoversItsLastPixelWhenInclusive) {
  PushPoints(3, {10, 10, 30, 10, 30, 30});
  SurfacePolyline(kRed);
  EXPECT_EQ(Snapshot().At(30, 30), kWhite);
  Inclusive(true);
  PushPoints(3, {10, 10, 30, 10, 30, 30});
  SurfacePolyline(kRed);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(30, 30), kRed);
  EXPECT_EQ(c.At(30, 20), kRed);
}

TEST_F(Shapes, FloodFillUpToABorderAndOverASurface) {
  SurfaceBox(20, 20, 60, 60, 0, kBlack, -2, 0);
  SurfaceFloodFill(40, 40, 0, kRed, 0, kBlack);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(40, 40), kRed);
  EXPECT_EQ(c.At(21, 21), kRed);
  EXPECT_EQ(c.At(20, 20), kBlack);
  EXPECT_EQ(c.At(10, 10), kWhite);
  EXPECT_EQ(c.At(80, 80), kWhite);

  SurfaceFloodFill(10, 10, kFloodSurface, kBlue, 0, kWhite);  // replaces the white around the box
  c = Snapshot();
  EXPECT_EQ(c.At(10, 10), kBlue);
  EXPECT_EQ(c.At(99, 99), kBlue);
  EXPECT_EQ(c.At(40, 40), kRed);
  EXPECT_EQ(c.At(20, 20), kBlack);
  // Fill colour -2 draws nothing; a relative point.
  SurfaceMoveTo(30, 30, 0);
  SurfaceFloodFill(5, 5, kRelativePoint, -2, 0, kBlack);
  EXPECT_EQ(Snapshot().At(40, 40), kRed);
  SurfaceFloodFill(5, 5, kRelativePoint | kFloodSurface, kGreen, 0, kRed);
  EXPECT_EQ(Snapshot().At(40, 40), kGreen);
}

TEST_F(Shapes, MixModes) {
  for (int32_t mix : {0, 17, -1}) {
    SurfaceSetMix(mix);
    EXPECT_EQ(SurfaceGetMix(), R2_COPYPEN) << mix;
  }
  SurfaceSetMix(R2_NOT);
  EXPECT_EQ(SurfaceGetMix(), R2_NOT);
  SurfaceBox(10, 10, 20, 20, 0, kRed, kRed, 0);  // inverts white whatever the colour
  EXPECT_EQ(Snapshot().At(15, 15), kBlack);
  SurfaceSetMix(0);
  SurfaceSetStretchMode(COLORONCOLOR);
  EXPECT_EQ(SurfaceGetStretchMode(), COLORONCOLOR);
  SurfaceSetStretchMode(BLACKONWHITE);
  EXPECT_EQ(SurfaceGetStretchMode(), BLACKONWHITE);
}

TEST_F(Shapes, PenStyleAndWidthShapeTheLine) {
  SurfaceSetPenWidth(5);
  SurfaceMoveTo(10, 50, 0);
  SurfaceLineTo(90, 50, 0, kRed);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(50, 48), kRed);
  EXPECT_EQ(c.At(50, 52), kRed);
  EXPECT_EQ(c.At(50, 55), kWhite);
  SurfaceSetPenWidth(0);
  SurfaceSetPenStyle(PS_DOT);
  SurfaceMoveTo(0, 80, 0);
  SurfaceLineTo(100, 80, 0, kBlue);
  c = Snapshot();
  size_t dotted = 0;
  for (int x = 0; x < 100; ++x) dotted += c.At(x, 80) == kBlue;
  EXPECT_GT(dotted, 20u);
  EXPECT_LT(dotted, 80u);
  SurfaceSetPenStyle(0);
}

TEST_F(Shapes, DeviceContextAndResolution) {
  EXPECT_EQ(SurfaceGetDC(), Record().memory_dc);
  Dpi dpi = SurfaceGetDpi();
  EXPECT_EQ(dpi.x, GetDeviceCaps(Record().memory_dc, LOGPIXELSX));
  EXPECT_GT(dpi.y, 0);
}

}  // namespace
}  // namespace qv
