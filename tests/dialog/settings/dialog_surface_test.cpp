#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

#include "dialog_settings.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "font_table.h"
#include "window_record.h"

namespace qv {
namespace {

using testing::AddControl;
using testing::CaptureClient;
using testing::MakeDialog;

constexpr int32_t kId = 1001;
constexpr COLORREF kMarkColour = RGB(255, 0, 0);
constexpr uint32_t kMarkPixel = 0xFF0000;

// A shown dialog with one bordered graphic control of 202 x 102 (a 200 x 100 canvas) whose
// canvas has a 20 x 20 red mark at its top-left.
class GraphicControlSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = MakeDialog(u"graphic", 40, 40, 420, 300, testing::kToolStyle, 0);
    AddControl(14, dialog_, kId, 10, 10, 202, 102, WS_BORDER);
    control_ = GetDlgItem(dialog_, kId);
    ASSERT_NE(control_, nullptr);
    record_ = RecordFind(control_);
    ASSERT_NE(record_->memory_dc, nullptr);
    HBRUSH mark = CreateSolidBrush(kMarkColour);
    RECT corner{0, 0, 20, 20};
    FillRect(record_->memory_dc, &corner, mark);
    DeleteObject(mark);
    DialogShowModeless(dialog_, nullptr, nullptr);
    testing::PumpFor(300);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  HWND dialog_ = nullptr, control_ = nullptr;
  WindowRecord* record_ = nullptr;
};

TEST_F(GraphicControlSettings, ClientSizeRecreatesTheCanvasAndKeepsThePicture) {
  WindowSetClientSize(dialog_, kId, 300, 150);
  RECT client{};
  GetClientRect(control_, &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(300L, 150L));
  EXPECT_EQ(std::pair(record_->canvas_width, record_->canvas_height), std::pair(300, 150));
  WindowExtent read = WindowGetClientSize(dialog_, kId);
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(300, 150));
  testing::PumpFor(200);
  int w = 0, h = 0;
  std::vector<uint32_t> screen = CaptureClient(control_, w, h);
  ASSERT_EQ(w, 300);
  EXPECT_EQ(screen[5 * w + 5], kMarkPixel);  // the old picture, top-left
  auto back = static_cast<uint32_t>(record_->back_colour);
  uint32_t back_pixel = ((back & 0xFF) << 16) | (back & 0xFF00) | ((back >> 16) & 0xFF);
  EXPECT_EQ(screen[140 * w + 290], back_pixel);  // the new area shows the background
  // Sizes below one pixel change nothing.
  WindowSetClientSize(dialog_, kId, 0, 10);
  EXPECT_EQ(record_->canvas_width, 300);
}

TEST_F(GraphicControlSettings, OuterSizeIsTheOneAsked) {
  WindowSetSize(dialog_, kId, 250, 120);
  RECT outer{};
  GetWindowRect(control_, &outer);
  EXPECT_EQ(std::pair(outer.right - outer.left, outer.bottom - outer.top), std::pair(250L, 120L));
  EXPECT_EQ(std::pair(record_->canvas_width, record_->canvas_height), std::pair(248, 118));
  WindowExtent read = WindowGetSize(dialog_, kId);
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(250, 120));
}

TEST_F(GraphicControlSettings, FontGoesIntoTheCanvasWithItsMetrics) {
  int32_t line_height = record_->line_height;
  int32_t users = FontTableFind(3)->references;
  ControlSetFont(dialog_, kId, 3);  // Lucida Console 11 pt
  EXPECT_EQ(record_->font_number, 3);
  EXPECT_EQ(FontTableFind(3)->references, users + 1);
  HFONT selected = static_cast<HFONT>(GetCurrentObject(record_->memory_dc, OBJ_FONT));
  EXPECT_EQ(selected, FontTableFind(3)->control_font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(record_->memory_dc, &metrics);
  EXPECT_EQ(record_->line_height, metrics.tmHeight);
  EXPECT_GT(record_->line_height, line_height);
  LOGFONTW face{};
  GetObjectW(selected, sizeof face, &face);
  EXPECT_EQ(std::wstring(face.lfFaceName), L"Lucida Console");
  EXPECT_EQ(face.lfHeight, -MulDiv(GetDeviceCaps(record_->memory_dc, LOGPIXELSY), 11, 72));

  // Font 1 as the control font, made at its 8 points rounded to the nearest pixel (the canvas's
  // own start-up font is cut to whole pixels).
  ControlSetFont(dialog_, kId, 0);
  EXPECT_EQ(record_->font_number, 1);
  EXPECT_EQ(FontTableFind(3)->references, users);
  EXPECT_EQ(GetCurrentObject(record_->memory_dc, OBJ_FONT), FontTableFind(1)->control_font);
  GetTextMetricsW(record_->memory_dc, &metrics);
  EXPECT_EQ(record_->line_height, metrics.tmHeight);
  EXPECT_LT(record_->line_height, FontTableFind(3)->point_size * 2);
}

TEST(GraphicControlUnits, DialogUnitSizesBecomeCanvasPixels) {
  HWND dialog = MakeDialog(u"units", 10, 10, 200, 150, 0, 0, 0);
  AddControl(14, dialog, kId, 5, 5, 100, 50, 0);
  HWND control = GetDlgItem(dialog, kId);
  WindowSetClientSize(dialog, kId, 120, 60);
  RECT expected{0, 0, 120, 60};
  MapDialogRect(dialog, &expected);
  WindowRecord* record = RecordFind(control);
  EXPECT_EQ(std::pair(record->canvas_width, record->canvas_height),
            std::pair(static_cast<int32_t>(expected.right), static_cast<int32_t>(expected.bottom)));
  WindowExtent read = WindowGetClientSize(dialog, kId);
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(120, 60));
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace qv
