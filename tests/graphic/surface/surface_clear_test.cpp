#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "error.h"
#include "draw_target.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_make_brush.h"
#include "surface_pen.h"
#include "surface_test_support.h"

namespace qv {
namespace {

using testing::kPale;
using testing::kPalePixel;

class Clearing : public testing::ToolSurface {};

size_t CountOf(const std::vector<uint32_t>& pixels, uint32_t value) {
  return static_cast<size_t>(std::count(pixels.begin(), pixels.end(), value));
}

std::vector<uint32_t> CanvasPixels() {
  DynString pixels = testing::ToolSurface::Read();
  std::vector<uint32_t> out((pixels.bytes() - 8) / 4);
  std::memcpy(out.data(), pixels.data() + 8, out.size() * 4);
  for (uint32_t& p : out) p &= 0xFFFFFF;
  return out;
}

TEST_F(Clearing, PaleClearFillsEveryPixelAndShowsItAtOnce) {
  SurfaceClear(0x000000FF, 0);
  int paints = Paints();
  SurfaceClear(kPale, 0);
  EXPECT_EQ(Paints(), paints + 1);  // refreshed once, before the clear returned
  std::vector<uint32_t> canvas = CanvasPixels();
  ASSERT_EQ(canvas.size(), 1200u * 960u);
  EXPECT_EQ(CountOf(canvas, kPalePixel), canvas.size());
  std::vector<uint32_t> screen = Screen();
  ASSERT_EQ(screen.size(), 1200u * 960u);
  EXPECT_EQ(CountOf(screen, kPalePixel), screen.size());
}

TEST_F(Clearing, FillStyles) {
  SurfaceSetBackColor(0x00FFFFFF);
  SurfaceClear(0x00000000, 5);  // HS_CROSS: black lines, white gaps from the DC background
  std::vector<uint32_t> canvas = CanvasPixels();
  size_t black = CountOf(canvas, 0), white = CountOf(canvas, 0xFFFFFF);
  EXPECT_GT(black, 0u);
  EXPECT_GT(white, black);
  EXPECT_EQ(black + white, canvas.size());
  for (int32_t style : {7, -1, 0}) {
    SurfaceClear(0x00000000, style);
    EXPECT_EQ(CountOf(CanvasPixels(), 0), canvas.size()) << style;
  }
  SurfaceSetBackColor(-1);
}

TEST_F(Clearing, SystemColourClearsWithTheBackgroundAndTransparentClearsNothing) {
  SurfaceSetBackColor(0x00123456);
  EXPECT_EQ(Record()->back_colour, 0x00123456);
  SurfaceClear(-1, 0);
  EXPECT_EQ(CountOf(CanvasPixels(), 0x00563412), 1200u * 960u);
  SurfaceSetBackColor(-2);
  EXPECT_EQ(Record()->back_colour, -2);
  EXPECT_EQ(GetBkMode(Record()->memory_dc), TRANSPARENT);
  int paints = Paints();
  SurfaceClear(-1, 0);  // the hollow brush: nothing changes, but the window is refreshed
  EXPECT_EQ(CountOf(CanvasPixels(), 0x00563412), 1200u * 960u);
  EXPECT_EQ(Paints(), paints + 1);
  SurfaceSetBackColor(-1);
  EXPECT_EQ(Record()->back_colour, static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(GetBkMode(Record()->memory_dc), OPAQUE);
}

TEST_F(Clearing, ClearMovesThePositionToTheClipOrigin) {
  MoveToEx(Record()->memory_dc, 50, 60, nullptr);
  Record()->current_x = 50;
  SurfaceClear(kPale, 0);
  POINT at{};
  GetCurrentPositionEx(Record()->memory_dc, &at);
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 0);
  EXPECT_EQ(Record()->current_x, 0);
  EXPECT_EQ(Record()->current_y, 0);
}

TEST_F(Clearing, ForegroundColourKeepsOnlyTheColourBits) {
  SurfaceSetForeColor(-2);  // not special for the foreground
  EXPECT_EQ(Record()->fore_colour, 0x00FFFFFE);
  EXPECT_EQ(GetTextColor(Record()->memory_dc), 0x00FFFFFEu);
  SurfaceSetForeColor(-1);
}

TEST_F(Clearing, AttachToAMissingControlRaises5AndLeavesNoTarget) {
  SurfaceClear(kPale, 0);
  SurfaceAttach(dialog_, 4242, 0);
  EXPECT_EQ(ErrorNumber(), 5);
  EXPECT_EQ(DrawTargetGet(), nullptr);
  ErrorClear();
  int paints = Paints();
  SurfaceClear(0x000000FF, 0);  // no target: nothing happens, no error
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(Paints(), paints);
  SurfaceAttach(dialog_, testing::kControlId, 0);
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(CountOf(CanvasPixels(), kPalePixel), 1200u * 960u);
  // A dialog is not a surface either, and nor is a window without record.
  SurfaceAttach(dialog_, 0, 0);
  EXPECT_EQ(ErrorNumber(), 5);
  EXPECT_EQ(DrawTargetGet(), nullptr);
}

TEST_F(Clearing, AttachOptionSetsOrClearsDeferredRedraw) {
  SurfaceAttach(dialog_, testing::kControlId, kAttachDeferRedraw);
  EXPECT_NE(Record()->flags & kDeferRedraw, 0u);
  SurfaceAttach(control_, 0, 0);                   // the control by its own handle
  EXPECT_EQ(Record()->flags & kDeferRedraw, 0u);
  EXPECT_EQ(DrawTargetGet(), control_);
}

TEST_F(Clearing, DeferredRedrawKeepsTheOldPictureUntilRedrawn) {
  SurfaceClear(kPale, 0);
  SurfaceAttach(dialog_, testing::kControlId, kAttachDeferRedraw);
  int paints = Paints();
  SurfaceClear(0x00FF0000, 0);  // blue
  EXPECT_EQ(Paints(), paints);
  EXPECT_EQ(CountOf(Screen(), kPalePixel), 1200u * 960u);
  EXPECT_NE(Record()->flags & kDirtyPending, 0u);
  SurfaceRedraw();
  EXPECT_EQ(Paints(), paints + 1);
  EXPECT_EQ(CountOf(Screen(), 0x000000FF), 1200u * 960u);
  EXPECT_EQ(Record()->flags & kDirtyPending, 0u);
  EXPECT_EQ(Record()->dirty_right, 0u);  // empty again
}

}  // namespace
}  // namespace qv
