// Shapes beyond the platform's reach are drawn as spans; they must look as the platform draws
// the same shape near. Each class draws a shape near (the platform) and the same shape moved
// or grown beyond the reach where the canvas sees the same part of it (spans), and compares
// the two canvases pixel for pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "box_geometry.h"
#include "drawing_test_support.h"
#include "drawing_tools.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_drawing.h"
#include "surface_map_point.h"
#include "surface_pen.h"

namespace qv {
namespace {

using namespace testing;

constexpr float kFar = 3e6f;  // far beyond the reach of any canvas
constexpr int32_t kInk = 0x00204080, kFill = 0x00C0A060;

// A canvas with something under the shapes, so that every mix shows what it does.
void Background() {
  SurfaceClear(kWhite, 0);
  for (float y = 0; y < 100; y += 8) SurfaceBox(0, y, 100, y + 4, 0, -2, 0x0030C050, 0);
}

// Where a pixel may differ: on the rim of a pen's round end or join, a disc the platform makes
// as a region of its own with its own rounding; only pixels within one of that rim.
struct RoundEnd {
  float x, y, half;
  bool Holds(int32_t px, int32_t py) const { return std::fabs(std::hypot(px - x, py - y) - half) <= 1; }
};

struct FarShapes : MemoryCanvas {
  // The pixels where the two drawings differ, other than on the rims of the round ends.
  size_t Differences(const std::function<void()>& near_shape, const std::function<void()>& far_shape,
                     std::string* where, const std::vector<RoundEnd>& ends = {}) {
    Background();
    near_shape();
    Canvas a = Snapshot();
    Background();
    far_shape();
    Canvas b = Snapshot();
    size_t count = 0;
    for (int32_t y = 0; y < a.height; ++y)
      for (int32_t x = 0; x < a.width; ++x) {
        if (a.At(x, y) == b.At(x, y)) continue;
        if (std::any_of(ends.begin(), ends.end(), [&](const RoundEnd& e) { return e.Holds(x, y); })) continue;
        if (count++ < 4) *where += " " + std::to_string(x) + "," + std::to_string(y);
      }
    return count;
  }
};

// A box whose top-left corner is on the canvas, its other sides near or far, in every mix: the
// outline and the inside each paint a pixel once.
TEST_F(FarShapes, BoxesInEveryMix) {
  for (int32_t pen : {2, 5}) {
    SurfaceSetPenWidth(pen);
    for (int32_t mix = 1; mix <= 16; ++mix) {
      std::string where;
      size_t n = Differences(
          [&] {
            SurfaceSetMix(mix);
            SurfaceBox(20, 30, 150, 160, 0, kInk, kFill, 0);
            SurfaceSetMix(0);
          },
          [&] {
            SurfaceSetMix(mix);
            SurfaceBox(20, 30, kFar, kFar, 0, kInk, kFill, 0);
            SurfaceSetMix(0);
          },
          &where, {{20, 30, pen / 2.0f}});
      EXPECT_EQ(n, 0u) << "pen " << pen << ", mix " << mix << ":" << where;
    }
  }
  SurfaceSetPenWidth(0);
}

// The right and bottom edges: a fill without an outline leaves them open, an outline covers
// them, for plain and rounded boxes reaching far up and left.
TEST_F(FarShapes, RightAndBottomEdges) {
  SurfaceSetPenWidth(3);
  for (int32_t line : {-2, kInk}) {
    std::string where;
    size_t n = Differences([&] { SurfaceBox(-50, -40, 60, 70, 0, line, kFill, 0); },
                           [&] { SurfaceBox(-kFar, -kFar, 60, 70, 0, line, kFill, 0); }, &where, {{59, 69, 1.5f}});
    EXPECT_EQ(n, 0u) << "line " << line << ":" << where;
  }
  SurfaceSetPenWidth(0);
}

// Lines of every pen width from 2 to 9, across and along: a far line covers as many pixels
// across as the platform's near one, with the same round end on the canvas.
TEST_F(FarShapes, WidePenLines) {
  for (int32_t pen = 2; pen <= 9; ++pen) {
    SurfaceSetPenWidth(pen);
    for (auto [x2, y2] : {std::pair{1.0f, 0.0f}, {0.0f, 1.0f}}) {
      std::string where;
      size_t n = Differences(
          [&] {
            SurfaceMoveTo(30, 40, 0);
            SurfaceLineTo(30 + 200 * x2, 40 + 200 * y2, 0, kInk);
          },
          [&] {
            SurfaceMoveTo(30, 40, 0);
            SurfaceLineTo(30 + kFar * x2, 40 + kFar * y2, 0, kInk);
          },
          &where, {{30, 40, pen / 2.0f}});
      EXPECT_EQ(n, 0u) << "pen " << pen << (x2 ? " across" : " down") << ":" << where;
    }
  }
  SurfaceSetPenWidth(0);
}

// Boxes and ellipses without width or height draw nothing, near or far.
TEST_F(FarShapes, EmptyBoxesAndEllipses) {
  SurfaceSetPenWidth(5);
  for (int32_t corner : {0, 20, static_cast<int32_t>(0x80000000)}) {
    std::string where;
    size_t n = Differences([&] { SurfaceBox(20, 20, 20, 80, corner, kInk, kFill, 0); },
                           [&] { SurfaceBox(20, 20, 20, kFar, corner, kInk, kFill, 0); }, &where);
    EXPECT_EQ(n, 0u) << "corner " << corner << ":" << where;
    n = Differences([&] { SurfaceBox(10, 50, 90, 50, corner, kInk, kFill, 0); },
                    [&] { SurfaceBox(-kFar, 50, kFar, 50, corner, kInk, kFill, 0); }, &where);
    EXPECT_EQ(n, 0u) << "corner " << corner << ":" << where;
  }
  SurfaceSetPenWidth(0);
}

// Polygons reaching far down, with and without their outline, straight and slanted: the fill
// leaves the right edge open as the platform's does.
TEST_F(FarShapes, PolygonEdges) {
  for (int32_t mix : {0, 6, 7}) {
    SurfaceSetMix(mix);
    for (int32_t line : {-2, kInk}) {
      for (float slant : {0.0f, 0.25f, -0.5f}) {
        std::string where;
        auto quad = [&](float bottom) {
          float shift = slant * (bottom - 10);  // the same slanted sides, ending near or far
          PushPoints(4, {10, 10, 90, 10, 90 + shift, bottom, 10 + shift, bottom});
          SurfacePolygon(line, kFill, 0, 0);
        };
        size_t n = Differences([&] { quad(200); }, [&] { quad(kFar); }, &where);
        EXPECT_EQ(n, 0u) << "mix " << mix << ", line " << line << ", slant " << slant << ":" << where;
      }
    }
  }
  SurfaceSetMix(0);
}

// An arc's ends with a pen at and past the reach: round, as the platform draws them.
TEST_F(FarShapes, ArcEndsAreRound) {
  Make(200, 200);
  std::string where;
  size_t n = Differences(
      [&] {
        SurfaceSetPenWidth(8192);
        SurfaceArc(95, 95, 105, 105, 0, 0.5f, 0, -2, 0, 0);
      },
      [&] {
        SurfaceSetPenWidth(8193);
        SurfaceArc(95, 95, 105, 105, 0, 0.5f, 0, -2, 0, 0);
      },
      &where);
  EXPECT_EQ(n, 0u) << where;
  SurfaceSetPenWidth(0);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

using namespace testing;

// How far a pixel lies from where the radial point's direction meets the box's ellipse.
double EndDistance(PixelPoint a, PixelPoint b, PixelPoint radial, int32_t x, int32_t y) {
  double cx = (a.x + b.x - 1) / 2.0, cy = (a.y + b.y - 1) / 2.0, rx = (b.x - a.x - 1) / 2.0, ry = (b.y - a.y - 1) / 2.0;
  double dx = radial.x - cx, dy = radial.y - cy, k = std::hypot(dx / rx, dy / ry);
  return std::hypot(x - (cx + dx / k), y - (cy + dy / k));
}

// Curves drawn with a thin pen by the platform and as the spans of a far shape at the same
// size, in a pen style.
struct ThinCurve {
  const char* name;
  std::function<void()> platform;
  std::function<ShapeSpans(int32_t pen_style)> spans;
  bool arc;  // has ends
};

std::vector<ThinCurve> ThinCurves(HDC dc, PixelPoint a, PixelPoint b, const ArcRadials& radials) {
  const BoxShape ellipse = BoxGeometry(a, b, 0x80000000u, false), rounded = BoxGeometry(a, b, 60, false);
  return {
      {"ellipse", [=] { Ellipse(dc, a.x, a.y, b.x, b.y); },
       [=](int32_t style) { return RoundBoxSpans(ellipse, {1, true, false, style}, 100, 100); }, false},
      {"arc", [=] { Arc(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y); },
       [=](int32_t style) { return ArcSpans(a, b, radials, false, {0, true, false, style}, 100, 100); }, true},
      {"pie", [=] { Pie(dc, a.x, a.y, b.x, b.y, radials.start.x, radials.start.y, radials.end.x, radials.end.y); },
       [=](int32_t style) { return ArcSpans(a, b, radials, true, {1, true, false, style}, 100, 100); }, true},
      {"rounded box",
       [=] { RoundRect(dc, rounded.left, rounded.top, rounded.right, rounded.bottom, rounded.corner_width,
                       rounded.corner_height); },
       [=](int32_t style) { return RoundBoxSpans(rounded, {1, true, false, style}, 100, 100); }, false},
  };
}

// Whether a pixel of the colour lies within `reach` pixels of (x, y).
bool Beside(const Canvas& canvas, int32_t x, int32_t y, int32_t colour, int reach = 1) {
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx)
      if (canvas.At(std::clamp(x + dx, 0, canvas.width - 1), std::clamp(y + dy, 0, canvas.height - 1)) == colour)
        return true;
  return false;
}

// One pixel thick on the diagonals as along the axes, and in every pen style with the dashes
// where the platform puts them, its gaps in the background colour. A pixel may differ where the
// two round a crossing (or a dash's end) the other way: then a pixel of the colour the spans
// gave lies beside it in the platform's drawing, and the counts agree within a tenth. A dash's
// end may be one step further out at a few places (8 at most): the walk's count in
// closed form gathers the platform's rounding of its pixels (within 2 steps over a whole
// ellipse, measured). And within 3 pixels of an arc's ends, which the platform places by its
// own rounding of the angle.
TEST_F(FarShapes, ThinCurvesAreOnePixelThickWithThePlatformsDashes) {
  constexpr int32_t kGap = 0x00E0C0A0;
  HDC dc = SurfaceGetDC();
  const PixelPoint a{12, 18}, b{91, 77};
  const ArcRadials radials = ArcRadialPoints(a, b, 0.4L, 2.9L);
  COLORREF back = SetBkColor(dc, kGap);
  for (const ThinCurve& test : ThinCurves(dc, a, b, radials)) {
    for (int32_t style = 0; style <= 4; ++style) {
      SCOPED_TRACE(std::string(test.name) + ", pen style " + std::to_string(style));
      SurfaceClear(kWhite, 0);
      {
        GdiObject pen(CreatePen(style, 1, kInk));
        Selection pen_selected(dc, pen.get()), brush_selected(dc, GetStockObject(NULL_BRUSH));
        test.platform();
      }
      Canvas platform = Snapshot();
      SurfaceClear(kWhite, 0);
      DrawShapeSpans(dc, test.spans(style), nullptr, kInk);
      Canvas spans = Snapshot();
      for (int32_t colour : {kInk, kGap}) {
        size_t near_count = platform.Count(colour), far_count = spans.Count(colour);
        EXPECT_LE(far_count * 10, near_count * 11 + 10) << far_count << " against " << near_count;
        EXPECT_GE(far_count * 10 + 10, near_count * 9) << far_count << " against " << near_count;
      }
      EXPECT_GT(platform.Count(kInk) + platform.Count(kGap), 60u);
      int one_step_out = 0;
      for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x) {
          int32_t colour = spans.At(x, y);
          if (colour == kWhite || colour == platform.At(x, y)) continue;
          if (test.arc && std::min(EndDistance(a, b, radials.start, x, y), EndDistance(a, b, radials.end, x, y)) <= 3)
            continue;
          if (Beside(platform, x, y, colour)) continue;
          ++one_step_out;
          ASSERT_TRUE(Beside(platform, x, y, colour, 2)) << x << "," << y << (colour == kInk ? " dash" : " gap");
        }
      EXPECT_LE(one_step_out, 8);
    }
  }
  SetBkColor(dc, back);
}

// Far shapes take the record's pen style: a dashed far ellipse shows its gaps in the background
// colour, and none when the background is transparent.
TEST_F(FarShapes, FarCurvesTakeThePenStyle) {
  constexpr int32_t kGap = 0x00E0C0A0;
  for (int32_t back : {kGap, -2}) {
    SurfaceSetBackColor(back);
    for (int32_t style : {0, 2}) {
      SurfaceSetPenStyle(style);
      SurfaceClear(kWhite, 0);
      SurfaceBox(-kFar, 10, 80, 90, static_cast<int32_t>(0x80000000), kInk, -2, 0);
      Canvas canvas = Snapshot();
      EXPECT_GT(canvas.Count(kInk), 40u) << "style " << style << ", background " << back;
      EXPECT_EQ(canvas.Count(kGap) > 10, style != 0 && back != -2) << "style " << style << ", background " << back;
    }
  }
  SurfaceSetPenStyle(0);
  SurfaceSetBackColor(kWhite);
}

// A filled ellipse or rounded box with a thin pen in every mix: the platform paints the inside
// over the whole shape and the outline over it, so a mix such as invert reaches the outline
// twice; a far one must do the same, pixel for pixel.
TEST_F(FarShapes, ThinOutlinesOverTheirInsideInEveryMix) {
  HDC dc = SurfaceGetDC();
  const PixelPoint a{12, 18}, b{91, 77};
  GdiObject brush(CreateSolidBrush(kFill));
  for (uint32_t corner : {0x80000000u, 60u}) {
    const BoxShape box = BoxGeometry(a, b, corner, false);
    for (int32_t mix = R2_BLACK; mix <= R2_WHITE; ++mix) {
      Background();
      SetROP2(dc, mix);
      {
        GdiObject pen(CreatePen(PS_SOLID, 1, kInk));
        Selection pen_selected(dc, pen.get()), brush_selected(dc, brush.get());
        RoundRect(dc, box.left, box.top, box.right, box.bottom, box.corner_width, box.corner_height);
      }
      SetROP2(dc, R2_COPYPEN);
      Canvas platform = Snapshot();
      Background();
      SetROP2(dc, mix);
      DrawShapeSpans(dc, RoundBoxSpans(box, {1, true, true, 0}, 100, 100), static_cast<HBRUSH>(brush.get()), kInk);
      SetROP2(dc, R2_COPYPEN);
      Canvas spans = Snapshot();
      size_t differ = 0;
      for (size_t i = 0; i < platform.colours.size(); ++i) differ += platform.colours[i] != spans.colours[i];
      EXPECT_EQ(differ, 0u) << "corner " << corner << ", mix " << mix;
    }
  }
}

}  // namespace
}  // namespace qv
