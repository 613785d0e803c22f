#include <gtest/gtest.h>

#include <windows.h>

#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_make_brush.h"
#include "surface_pen.h"
#include "surface_test_support.h"

namespace qv {
namespace {

class Refreshing : public testing::ToolSurface {
 protected:
  static void Mark(int32_t x1, int32_t y1, int32_t x2, int32_t y2, MarkMode mode = MarkMode::kAsPassed) {
    WindowRecord* record = SurfaceAcquire();
    ASSERT_NE(record, nullptr);
    SurfaceMarkDirty(*record, x1, y1, x2, y2, mode);
  }
  static void ExpectDirty(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
    EXPECT_EQ(Record()->dirty_left, left);
    EXPECT_EQ(Record()->dirty_top, top);
    EXPECT_EQ(Record()->dirty_right, right);
    EXPECT_EQ(Record()->dirty_bottom, bottom);
  }
};

TEST_F(Refreshing, MarksAreOrderedAndClampedToTheCanvas) {
  SurfaceAttach(dialog_, testing::kControlId, kAttachDeferRedraw);
  SurfaceRedraw();  // start clean
  Mark(100, 80, 10, 5);
  ExpectDirty(10, 5, 100, 80);
  Mark(-30, -40, 20, 30);
  ExpectDirty(0, 0, 100, 80);
  Mark(300, 200, 5000, 7000);
  ExpectDirty(0, 0, 1200, 960);
  SurfaceRedraw();
  SurfaceSetPenWidth(5);
  Mark(50, 60, 70, 80, MarkMode::kPen);  // widened by 5 / 2 + 1
  ExpectDirty(47, 57, 73, 83);
  SurfaceRedraw();
  // A huge or negative pen width widens to the whole canvas instead of wrapping around.
  SurfaceSetPenWidth(INT32_MAX);
  Mark(50, 60, 70, 80, MarkMode::kPen);
  ExpectDirty(0, 0, 1200, 960);
  SurfaceRedraw();
  SurfaceSetPenWidth(-1);
  Mark(INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX, MarkMode::kPen);
  ExpectDirty(0, 0, 1200, 960);
  SurfaceSetPenWidth(0);
  SurfaceRedraw();
  Mark(50, 60, 70, 80, MarkMode::kText);
  ExpectDirty(50, 60, 70, 80);
  SurfaceRedraw();
}

TEST_F(Refreshing, EveryMarkRefreshesAnImmediateSurface) {
  int paints = Paints();
  Mark(0, 0, 10, 10);
  Mark(20, 20, 30, 30);
  EXPECT_EQ(Paints(), paints + 2);
  EXPECT_EQ(Record()->flags & kDirtyPending, 0u);
  ExpectDirty(0xFFFFFFFF, 0xFFFFFFFF, 0, 0);
}

TEST_F(Refreshing, TheTwoHundredFiftiethBatchedMarkRefreshes) {
  Record()->flags |= kBatchRedraw;
  int paints = Paints();
  for (int i = 0; i < 249; ++i) Mark(i, i, i + 1, i + 1);
  EXPECT_EQ(Paints(), paints);
  EXPECT_EQ(Record()->batch_count, 249u);
  EXPECT_NE(Record()->flags & kDirtyPending, 0u);
  Mark(0, 0, 1, 1);
  EXPECT_EQ(Paints(), paints + 1);
  EXPECT_EQ(Record()->batch_count, 0u);
  EXPECT_EQ(Record()->flags & kDirtyPending, 0u);
  // A forced refresh does not wait for the batch.
  Mark(0, 0, 1, 1);
  EXPECT_EQ(Paints(), paints + 1);
  Record()->flags |= kForceRefresh;
  Mark(0, 0, 1, 1);
  EXPECT_EQ(Paints(), paints + 2);
  EXPECT_EQ(Record()->flags & kForceRefresh, 0u);
  Record()->flags &= ~kBatchRedraw;
}

TEST(SurfaceResize, GrowingKeepsThePictureAndFillsTheNewAreaWithTheBackground) {
  SurfaceDetach();
  HWND control = nullptr;
  HWND dialog = testing::MakeSurfaceDialog(control);
  SurfaceClear(testing::kPale, 0);
  WindowRecord* record = SurfaceAcquire();
  ASSERT_NE(record, nullptr);
  record->requested_width = 1300;
  record->requested_height = 1000;
  SurfaceResize(*record);  // releases the lock
  EXPECT_EQ(record->canvas_width, 1300);
  EXPECT_EQ(record->clip_height, 1000);
  RECT client{};
  GetClientRect(control, &client);
  EXPECT_EQ(client.right, 1300);
  EXPECT_EQ(client.bottom, 1000);
  DynString pixels = testing::ToolSurface::Read();
  ASSERT_EQ(pixels.bytes(), 8u + 4u * 1300 * 1000);
  auto at = [&](int x, int y) {
    uint32_t p;
    std::memcpy(&p, pixels.data() + 8 + 4 * (static_cast<size_t>(y) * 1300 + x), 4);
    return p & 0xFFFFFF;
  };
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  uint32_t background = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
  EXPECT_EQ(at(0, 0), testing::kPalePixel);
  EXPECT_EQ(at(1199, 959), testing::kPalePixel);
  EXPECT_EQ(at(1200, 0), background);
  EXPECT_EQ(at(0, 960), background);
  EXPECT_EQ(at(1299, 999), background);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace qv
