#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <tuple>

#include "box_geometry.h"
#include "drawing_test_support.h"
#include "drawing_tools.h"
#include "frame.h"
#include "surface.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_drawing.h"
#include "surface_lock.h"
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

// Shapes the platform takes minutes for, or crashes on (a pie of two million pixels' radius, a
// pen three million wide), draw the part of the whole shape that lies on the canvas.
TEST_F(Shapes, FarCurvesAndWidePensDrawTheirPartOfTheCanvas) {
  // The pie of two million pixels' radius around the top-left corner, from 0 to 6 radians:
  // everything but the thin wedge from 6 radians up to the positive x axis (along the top).
  SurfaceArc(-2000000, -2000000, 2000000, 2000000, 0, 6, kBlack, kBlack, 0, kArcPie);
  Canvas c = Snapshot();
  const long double wedge = std::tan(2 * std::numbers::pi_v<long double> - 6);  // slope of its lower side
  int checked = 0;
  for (int32_t y = 0; y < 100; ++y)
    for (int32_t x = 0; x < 100; ++x) {
      long double edge = (x + 0.5L) * wedge - 0.5L;  // the side's row at this column
      if (std::fabs(y - edge) < 1.5L || y < 2) continue;  // pixels on the sides go either way
      ASSERT_EQ(c.At(x, y), y < edge ? kWhite : kBlack) << x << "," << y;
      ++checked;
    }
  EXPECT_GT(checked, 9000);

  // Its arc alone passes two million pixels away.
  SurfaceClear(kWhite, 0);
  SurfaceArc(-2000000, -2000000, 2000000, 2000000, 0, 6, kBlack, kBlack, 0, 0);
  EXPECT_EQ(Snapshot().Count(kWhite), 100u * 100);

  // An ellipse four million wide ending at column 59: the outline there, the fill before it.
  SurfaceBox(60 - 4000000, 50 - 1000000, 60, 50 + 1000000, static_cast<int32_t>(0x80000000), kRed, kBlue, 0);
  c = Snapshot();
  for (int32_t y = 0; y < 100; ++y) {
    ASSERT_EQ(c.At(59, y), kRed) << y;
    ASSERT_EQ(c.At(57, y), kBlue) << y;
    ASSERT_EQ(c.At(61, y), kWhite) << y;
  }
  // A rounded box around the canvas with corners of a million pixels: only its inside here.
  SurfaceBox(-2000000, -2000000, 2000000, 2000000, 50, kRed, kGreen, 0);
  EXPECT_EQ(Snapshot().Count(kGreen), 100u * 100);

  // A thousand far corners (found by the script fuzzer): the platform scanned two million rows
  // for each of its edges.
  std::vector<float> corners;
  for (int i = 0; i < 1000; ++i)
    corners.insert(corners.end(), {i % 2 ? 2e9f : -2e9f, i % 3 ? -9e8f + 1000.0f * i : 50.0f + i % 7});
  SurfaceClear(kWhite, 0);
  PushPoints(1000, corners);
  SurfacePolygon(kRed, kGreen, 0, 0);
  EXPECT_LT(Snapshot().Count(kWhite), 100u * 100);

  // A pen three million wide covers all of the canvas around its short line.
  SurfaceSetPenWidth(3000000);
  SurfaceMoveTo(10, 10, 0);
  SurfaceLineTo(20, 20, 0, kBlue);
  EXPECT_EQ(Snapshot().Count(kBlue), 100u * 100);
  PushPoints(3, {10, 10, 20, 10, 10, 20});
  SurfacePolyline(kRed);
  EXPECT_EQ(Snapshot().Count(kRed), 100u * 100);
  SurfaceSetPenWidth(0);
}

// The spans drawn for far shapes follow the platform's own geometry: drawn both ways at a size
// the platform manages, they differ only in pixels at an edge of the shape.
TEST_F(Shapes, FarShapeSpansMatchThePlatformUpToEdgePixels) {
  HDC dc = SurfaceGetDC();
  const PixelPoint a{12, 18}, b{91, 77};
  const ArcRadials radials = ArcRadialPoints(a, b, 0.4L, 2.9L);
  const ArcRadials wide_open = ArcRadialPoints(a, b, 2.9L, 0.4L);  // the long way round
  const BoxShape rounded = BoxGeometry(a, b, 40, false);
  static constexpr POINT kStar[] = {{50, 5}, {76, 85}, {8, 35}, {92, 35}, {24, 85}};
  struct Case {
    const char* name;
    int pen;
    std::function<void()> platform;
    std::function<ShapeSpans()> spans;
  };
  auto pie = [&](const ArcRadials& r) {
    return [&, r] { Pie(dc, a.x, a.y, b.x, b.y, r.start.x, r.start.y, r.end.x, r.end.y); };
  };
  const Case cases[] = {
      {"pie", 1, pie(radials), [&] { return ArcSpans(a, b, radials, true, {1, true, true}, 100, 100); }},
      {"pie the long way", 5, pie(wide_open), [&] { return ArcSpans(a, b, wide_open, true, {5, true, true}, 100, 100); }},
      {"arc", 3,
       [&] { Arc(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y); },
       [&] { return ArcSpans(a, b, radials, false, {3, true, false}, 100, 100); }},
      {"ellipse", 1, [&] { Ellipse(dc, a.x, a.y, b.x, b.y); },
       [&] { return RoundBoxSpans(BoxGeometry(a, b, 0x80000000u, false), {1, true, true}, 100, 100); }},
      {"rounded box", 7,
       [&] { RoundRect(dc, rounded.left, rounded.top, rounded.right, rounded.bottom, rounded.corner_width, rounded.corner_height); },
       [&] { return RoundBoxSpans(rounded, {7, true, true}, 100, 100); }},
      {"star", 1, [&] { Polygon(dc, kStar, 5); },
       [&] {
         std::vector<PixelPoint> star;
         for (const POINT& p : kStar) star.push_back({p.x, p.y});
         return ShapeSpans{PolygonSpans(star, true, 100, 100), StrokeSpans(star, true, 1, 100, 100), {}};
       }},
      {"wide line", 15, [&] { MoveToEx(dc, 10, 80, nullptr); LineTo(dc, 85, 20); },
       [&] { return ShapeSpans{{}, StrokeSpans({{10, 80}, {85, 20}}, false, 15, 100, 100), {}}; }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    SurfaceClear(kWhite, 0);
    {
      GdiObject pen(CreatePen(PS_SOLID, test.pen, kRed)), brush(CreateSolidBrush(kBlue));
      Selection pen_selected(dc, pen.get()), brush_selected(dc, brush.get());
      test.platform();
    }
    Canvas platform = Snapshot();
    SurfaceClear(kWhite, 0);
    GdiObject fill(CreateSolidBrush(kBlue));
    DrawShapeSpans(dc, test.spans(), static_cast<HBRUSH>(fill.get()), kRed);
    Canvas spans = Snapshot();
    size_t differing = 0, drawn = 100 * 100 - platform.Count(kWhite);
    for (int32_t y = 0; y < 100; ++y)
      for (int32_t x = 0; x < 100; ++x) {
        if (platform.At(x, y) == spans.At(x, y)) continue;
        ++differing;
        bool at_edge = false;  // some neighbour within a pixel differs in the platform's picture
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            int32_t nx = std::clamp(x + dx, 0, 99), ny = std::clamp(y + dy, 0, 99);
            at_edge = at_edge || platform.At(nx, ny) != platform.At(x, y);
          }
        ASSERT_TRUE(at_edge) << x << "," << y;
      }
    EXPECT_GT(drawn, 250u);
    EXPECT_LT(differing, drawn / 4) << differing << " of " << drawn;
  }
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

TEST_F(Shapes, PolygonFillModeFlagAndTheModeRestored) {
  // A five-pointed star drawn in one stroke: its centre is inside by winding, outside by
  // alternation. Each flag is tried with the DC in the other mode, which must come back.
  const std::vector<float> star = {50, 5, 76, 85, 8, 35, 92, 35, 24, 85};
  for (auto [flag, dc_mode, centre] : {std::tuple{0, ALTERNATE, kBlue}, std::tuple{1, WINDING, kWhite}}) {
    SurfaceClear(kWhite, 0);
    SetPolyFillMode(Record().memory_dc, dc_mode);
    PushPoints(5, star);
    SurfacePolygon(kRed, kBlue, 0, flag);
    Canvas c = Snapshot();
    EXPECT_EQ(c.At(50, 50), centre) << flag;
    EXPECT_EQ(c.At(50, 20), kBlue) << flag;  // a point of the star
    EXPECT_EQ(GetPolyFillMode(Record().memory_dc), dc_mode) << flag;
  }
  SetPolyFillMode(Record().memory_dc, ALTERNATE);
}

TEST_F(Shapes, PolygonsNeedTwoToAThousandAndTwentyFourPointsInTheirBlock) {
  PushPoints(3, {10, 10, 90, 10, 50, 90});
  SurfacePolygon(kRed, kBlue, 0, 1);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(50, 30), kBlue);
  EXPECT_EQ(c.At(10, 10), kRed);
  EXPECT_EQ(c.At(10, 80), kWhite);
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
  EXPECT_FALSE(SurfaceLock().held_by_caller());  // a refused list gives the lock back

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
