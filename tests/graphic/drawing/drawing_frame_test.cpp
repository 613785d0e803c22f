#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "dialog_test_support.h"
#include "draw_target.h"
#include "drawing_test_support.h"
#include "error.h"
#include "frame.h"
#include "memory_surface.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_copy.h"
#include "surface_drawing.h"
#include "surface_test_support.h"
#include "surface_window.h"

namespace qv {
namespace {

using namespace testing;

TEST(DrawingFrame, WithoutATargetNothingHappensAndTheErrorStays) {
  HANDLE source = FilledSurface(4, 4, kRed);
  SurfaceDetach();
  RaiseError(kErrorOutOfMemory);  // a number the operations must leave alone
  SurfaceScale(0, 0, 10, 10);
  SurfaceMoveTo(1, 1, 0);
  SurfaceLineTo(5, 5, 0, kRed);
  SurfaceBox(0, 0, 5, 5, 0, kRed, kRed, 0);
  SurfaceArc(0, 0, 5, 5, 0, 1, kRed, kRed, 0, kArcPie);
  PushPoints(3, {0, 0, 5, 0, 0, 5});
  SurfacePolygon(kRed, kRed, 0, 0);
  PushPoints(3, {0, 0, 5, 0, 0, 5});
  SurfacePolyline(kRed);
  SurfaceFloodFill(1, 1, 0, kRed, 0, kRed);
  SurfaceSetPixel(1, 1, 0, kRed);
  SurfaceSetMix(6);
  SurfaceSetStretchMode(COLORONCOLOR);
  SurfaceCopy(source, 0, 0);
  SurfaceCopyAt(source, 0, 1, 1, 0);
  SurfaceCopyRect(source, 0, 0, 0, 1, 1, 1, 1, 0);
  SurfaceStretchCopy(source, 0, 0, 0, 1, 1, 0, 0, 3, 3, 0, 0);
  MemorySurfaceDestroy();
  PushWide(L"nothing.bmp");
  SurfaceSaveBitmap();
  EXPECT_EQ(ErrorNumber(), kErrorOutOfMemory);
  EXPECT_EQ(SurfaceGetPixel(1, 1, 0), -1);
  EXPECT_EQ(SurfaceGetMix(), 0);
  EXPECT_EQ(SurfaceGetStretchMode(), 0);
  EXPECT_EQ(SurfaceGetDC(), nullptr);
  EXPECT_EQ(SurfaceGetDpi().x, 0);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
  EXPECT_EQ(GetFileAttributesW(L"nothing.bmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(RecordFind(source), nullptr);

  // The forms that report a missing target do so with error 5.
  SurfaceStretchCopyWhole(source, 0, 0, 0, 3, 3, 0, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ErrorClear();
  SurfaceDrawListImage(nullptr, 1, 0, 0, 0, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  ErrorClear();
  PushWide(L"nothing.bmp");
  SurfaceStretchImage(0, 0, 3, 3, 0, 0);
  EXPECT_EQ(ErrorNumber(), kErrorInvalidArgument);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), 0);
  ErrorClear();
  DestroySurface(source);
}

// A graphic control of a shown dialog: drawing refreshes the window at once, so the screen
// shows what the canvas holds.
class ControlDrawing : public ToolSurface {};

TEST_F(ControlDrawing, DrawingShowsAtOnce) {
  SurfaceClear(kWhite, 0);
  int paints = Paints();
  SurfaceBox(100, 100, 300, 200, 0, kRed, kBlue, 0);
  EXPECT_EQ(Paints(), paints + 1);
  SurfaceSetPixel(600, 500, 0, kGreen);
  EXPECT_EQ(Paints(), paints + 2);
  std::vector<uint32_t> screen = Screen();
  ASSERT_EQ(screen.size(), static_cast<size_t>(kCanvasWidth) * kCanvasHeight);
  auto on_screen = [&](int32_t x, int32_t y) { return screen[static_cast<size_t>(y) * kCanvasWidth + x] & 0xFFFFFF; };
  EXPECT_EQ(on_screen(100, 100), 0xFF0000u);  // pixels read as 0x00RRGGBB
  EXPECT_EQ(on_screen(200, 150), 0x0000FFu);
  EXPECT_EQ(on_screen(300, 150), 0xFFFFFFu);
  EXPECT_EQ(on_screen(600, 500), 0x00FF00u);

  // With DeferRedraw the canvas changes and the screen waits for SurfaceRedraw.
  SurfaceAttach(dialog_, kControlId, kAttachDeferRedraw);
  SurfaceBox(400, 400, 500, 450, 0, kBlack, kBlack, 0);
  EXPECT_EQ(Paints(), paints + 2);
  EXPECT_EQ(Snapshot().At(450, 420), kBlack);
  SurfaceRedraw();
  screen = Screen();
  EXPECT_EQ(on_screen(450, 420), 0u);
}

// A graphic window on a thread of its own: drawing from this thread reaches its screen through
// the window's own loop.
TEST(WindowDrawing, DrawingFromAnotherThreadReachesTheScreen) {
  HANDLE previous = DrawTargetGet();
  SurfaceDetach();
  PushWide(L"drawing window");
  HWND frame = SurfaceWindowOpenThreaded(60, 60, 200, 150, 0, 1, 0);
  ASSERT_NE(frame, nullptr);
  HWND canvas = GetWindow(frame, GW_CHILD);
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(DrawTargetGet(), canvas);

  SurfaceClear(kWhite, 0);
  SurfaceScale(0, 0, 20, 15);  // 10 pixels per unit
  SurfaceBox(2, 2, 8, 6, 0, kRed, kBlue, 0);
  SurfaceMoveTo(10, 10, 0);
  SurfaceLineTo(19, 10, 0, kGreen);
  auto shown = [&](int32_t x, int32_t y) {
    int width = 0, height = 0;
    std::vector<uint32_t> screen = CaptureClient(canvas, width, height);
    return width > x && height > y ? static_cast<int32_t>(screen[static_cast<size_t>(y) * width + x]) : -1;
  };
  // Pixels read as 0x00RRGGBB. The window's loop shows the marks in its own time: wait for the
  // last thing drawn.
  for (int waited = 0; waited < 20000 && (shown(50, 40) != 0x0000FF || shown(150, 100) != 0x00FF00); waited += 50)
    Sleep(50);
  EXPECT_EQ(shown(50, 40), 0x0000FF);
  EXPECT_EQ(shown(20, 20), 0xFF0000);
  EXPECT_EQ(shown(150, 100), 0x00FF00);
  EXPECT_EQ(shown(150, 120), 0xFFFFFF);

  PostMessageW(frame, WM_CLOSE, 0, 0);
  for (int waited = 0; waited < 20000 && IsWindow(frame); waited += 20) Sleep(20);
  EXPECT_FALSE(IsWindow(frame));
  SurfaceSetPixel(1, 1, 0, kRed);  // the target has gone: nothing happens
  DrawTargetSet(previous);
}

}  // namespace
}  // namespace qv
