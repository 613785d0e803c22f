#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "error.h"
#include "frame.h"
#include "surface_pixels.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_colours.h"
#include "surface_make_brush.h"
#include "surface_pen.h"
#include "string_ops.h"
#include "surface_test_support.h"

namespace qv {
namespace {

using testing::kPale;
using testing::kPalePixel;

class PixelStrings : public testing::ToolSurface {
 protected:
  void SetUp() override {
    ToolSurface::SetUp();
    SurfaceClear(kPale, 0);
    depth_ = ProcedureFrame::Current().operands().depth();
  }
  void TearDown() override { EXPECT_EQ(ProcedureFrame::Current().operands().depth(), depth_); }
  static void Write(const DynString& pixels) {
    PushText(pixels);
    SurfaceWritePixels();
  }
  static DynString Bytes(std::initializer_list<uint8_t> bytes) {
    return DynString::FromBytes(std::string(bytes.begin(), bytes.end()));
  }
  int depth_ = 0;
};

size_t CountOf(const std::vector<uint32_t>& pixels, uint32_t value) {
  return static_cast<size_t>(std::count(pixels.begin(), pixels.end(), value));
}

TEST_F(PixelStrings, ReadingTheToolCanvas) {
  DynString pixels = Read();
  ASSERT_EQ(pixels.bytes(), 4608008u);
  const unsigned char header[8] = {0xB0, 0x04, 0x00, 0x00, 0xC0, 0x03, 0x00, 0x00};
  EXPECT_EQ(std::memcmp(pixels.data(), header, 8), 0);
  EXPECT_EQ(std::memcmp(pixels.data() + 8, "\xCD\xFA\xFF", 3), 0);  // blue, green, red
  EXPECT_EQ(PixelAt(pixels, 1199, 959), kPalePixel);
}

TEST_F(PixelStrings, OnePixelTurnedRedIsExactlyThatPixelOnCanvasAndScreen) {
  DynString pixels = Read();
  const int32_t x = 517, y = 333;
  const unsigned char red[4] = {0x00, 0x00, 0xFF, 0x00};
  std::memcpy(pixels.data() + 8 + 4 * (y * 1200 + x), red, 4);
  int paints = Paints();
  Write(pixels);
  EXPECT_EQ(Paints(), paints + 1);  // the whole canvas refreshed once, at once

  DynString back = Read();
  ASSERT_EQ(back.bytes(), pixels.bytes());
  EXPECT_EQ(PixelAt(back, x, y), 0x00FF0000u);
  std::vector<uint32_t> screen = Screen();
  ASSERT_EQ(screen.size(), 1200u * 960u);
  EXPECT_EQ(screen[y * 1200 + x], 0x00FF0000u);
  EXPECT_EQ(CountOf(screen, kPalePixel), screen.size() - 1);
  size_t changed = 0;
  for (int32_t i = 0; i < 1200 * 960; ++i) changed += PixelAt(back, i % 1200, i / 1200) != kPalePixel;
  EXPECT_EQ(changed, 1u);
}

TEST_F(PixelStrings, UnchangedRoundTripKeepsThePictureAndRefreshesOnce) {
  DynString pixels = Read();
  int paints = Paints();
  Write(pixels);
  EXPECT_EQ(Paints(), paints + 1);
  DynString back = Read();
  EXPECT_EQ(back.view(), pixels.view());
}

TEST_F(PixelStrings, WritesThatHoldNothingChangeNothingAndDoNotRefresh) {
  int paints = Paints();
  Write(DynString());
  Write(Bytes({0, 0, 0, 0, 0, 0, 0, 0}));               // 0 x 0
  Write(Bytes({0xB0, 0x04, 0x00, 0x00, 0xC0}));         // shorter than a header
  Write(Bytes({0xB0, 0x04, 0x00, 0x00, 0xC0, 0x03, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}));  // claims more
  Write(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 1, 2, 3, 4}));              // width -1
  Write(Bytes({0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}));              // height -1
  Write(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4}));              // huge
  EXPECT_EQ(Paints(), paints);
  EXPECT_EQ(CountOf(Screen(), kPalePixel), 1200u * 960u);
  DynString back = Read();
  for (int32_t y : {0, 1, 959}) EXPECT_EQ(PixelAt(back, 0, y), kPalePixel);
  // An owned operand is released as well.
  PushOwned(Bytes({1, 2, 3}));
  SurfaceWritePixels();
}

TEST_F(PixelStrings, WithoutTargetReadIsEmptyAndWriteDropsItsOperand) {
  DynString pixels = Read();
  SurfaceDetach();
  ErrorClear();
  EXPECT_TRUE(Read().empty());
  Write(pixels);
  PushOwned(DynString(pixels));
  SurfaceWritePixels();
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(PixelStrings, DeferredWriteShowsOnlyAfterRedraw) {
  SurfaceAttach(dialog_, testing::kControlId, kAttachDeferRedraw);
  DynString pixels = Read();
  std::memset(pixels.data() + 8, 0, pixels.bytes() - 8);  // all black
  int paints = Paints();
  Write(pixels);
  EXPECT_EQ(Paints(), paints);
  EXPECT_EQ(PixelAt(Read(), 10, 10), 0u);
  EXPECT_EQ(CountOf(Screen(), kPalePixel), 1200u * 960u);
  SurfaceRedraw();
  EXPECT_EQ(CountOf(Screen(), 0u), 1200u * 960u);
}

}  // namespace
}  // namespace qv
