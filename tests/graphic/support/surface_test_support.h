// The application's window for surface tests: a visible pixel-mode dialog holding one
// 1202 x 962 bordered graphic control (id 1001), shared by the tests of a suite because showing
// and destroying a window under Wine without a window manager takes seconds.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "window_record.h"
#include "dyn_string.h"

namespace qv::testing {

constexpr int32_t kControlId = 1001;
constexpr int32_t kCanvasWidth = 1200, kCanvasHeight = 960;
constexpr int32_t kPale = 0x00CDFAFF;          // as a colour: red FF, green FA, blue CD
constexpr uint32_t kPalePixel = 0x00FFFACD;    // the same as a pixel (0x00RRGGBB)

class ToolSurface : public ::testing::Test {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  static WindowRecord* Record();
  // What the window shows: the control's client area read through its DC.
  static std::vector<uint32_t> Screen();
  // The canvas as SurfaceReadPixels gives it.
  static DynString Read();
  static uint32_t PixelAt(const DynString& pixels, int32_t x, int32_t y);
  // WM_DRAWITEM messages the dialog's callback has seen: one per paint of the control.
  static int Paints();

  static HWND dialog_;
  static HWND control_;
};

HWND MakeSurfaceDialog(HWND& control);

}  // namespace qv::testing
