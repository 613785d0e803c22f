#include <gtest/gtest.h>

#include <windows.h>

#include "dialog_create.h"
#include "font_table.h"
#include "dialog_test_support.h"
#include "error.h"
#include "draw_target.h"
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

using testing::AddControl;
using testing::MakeSurfaceDialog;

int32_t AsPixel(COLORREF colour) {
  return static_cast<int32_t>(((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
}

TEST(SurfaceSetUp, BorderedControlGetsACanvasOfItsClientAreaFilledWithTheBackground) {
  SurfaceDetach();
  HWND control = nullptr;
  HWND dialog = MakeSurfaceDialog(control);
  ASSERT_NE(control, nullptr);
  WindowRecord* record = RecordFind(control);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->canvas_width, 1200);
  EXPECT_EQ(record->canvas_height, 960);
  EXPECT_EQ(record->clip_height, 960);
  EXPECT_EQ(record->flags, 0x20000002u);  // no surface flag: every mark refreshes
  EXPECT_EQ(GetObjectType(record->memory_dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)), SurfaceControlProcedure);
  EXPECT_NE(record->saved_procedure, nullptr);

  // Nothing drawn yet: every pixel is the background colour.
  ASSERT_EQ(DrawTargetGet(), control);
  SurfaceReadPixels();
  DynString pixels = PopText();
  ASSERT_EQ(pixels.bytes(), 8u + 4u * 1200 * 960);
  int32_t background = AsPixel(GetSysColor(COLOR_BTNFACE));
  size_t wrong = 0;
  for (size_t i = 8; i < pixels.bytes(); i += 4) {
    uint32_t p;
    std::memcpy(&p, pixels.data() + i, 4);
    wrong += (p & 0xFFFFFF) != static_cast<uint32_t>(background);
  }
  EXPECT_EQ(wrong, 0u);

  // Text state of the canvas.
  EXPECT_EQ(record->font_number, 1);
  EXPECT_NE(record->line_height, 0);
  EXPECT_EQ(GetTextAlign(record->memory_dc) & TA_UPDATECP, static_cast<UINT>(TA_UPDATECP));
  EXPECT_EQ(GetBkMode(record->memory_dc), OPAQUE);
  LOGFONTW face{};
  GetObjectW(GetCurrentObject(record->memory_dc, OBJ_FONT), sizeof face, &face);
  EXPECT_STREQ(face.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(face.lfHeight, -(GetDeviceCaps(record->memory_dc, LOGPIXELSY) * 8 / 72));
  EXPECT_EQ(record->scale_x, 0.0f);

  // Teardown gives the canvas and the font back.
  HDC canvas = record->memory_dc;
  int32_t users = FontTableFind(1)->references;
  DestroyWindow(dialog);
  EXPECT_EQ(GetObjectType(canvas), 0u);
  EXPECT_EQ(FontTableFind(1)->references, users - 1);
  // The stale target is simply not found.
  EXPECT_EQ(SurfaceAcquire(), nullptr);
  SurfaceReadPixels();
  EXPECT_TRUE(PopText().empty());
}

TEST(SurfaceSetUp, OnlyTheFirstSurfaceOfAThreadWithoutTargetBecomesTheTarget) {
  SurfaceDetach();
  HWND dialog = testing::MakeToolDialog();
  AddControl(14, dialog, 1, 0, 0, 100, 100, 0);
  AddControl(14, dialog, 2, 100, 0, 100, 100, 0);
  EXPECT_EQ(DrawTargetGet(), GetDlgItem(dialog, 1));
  // The unbordered control's canvas is its whole size.
  EXPECT_EQ(RecordFind(GetDlgItem(dialog, 2))->canvas_width, 100);
  // Kind 15 is owner-drawn but not a surface.
  AddControl(15, dialog, 3, 0, 100, 100, 100, 0);
  EXPECT_EQ(RecordFind(GetDlgItem(dialog, 3))->memory_dc, nullptr);
  DestroyWindow(dialog);
}

TEST(SurfaceSetUp, DialogUnitSurfaceGetsScaleFactors) {
  SurfaceDetach();
  HWND dialog = testing::MakeDialog(u"units", kCentred, kCentred, 300, 200, 0, 0, 0);
  AddControl(14, dialog, 1, 5, 5, 99, 49, 0);
  WindowRecord* record = RecordFind(GetDlgItem(dialog, 1));
  ASSERT_NE(record, nullptr);
  EXPECT_FLOAT_EQ(record->scale_x, static_cast<float>(record->canvas_width) / 100.0f);
  EXPECT_FLOAT_EQ(record->scale_y, static_cast<float>(record->canvas_height) / 50.0f);
  DestroyWindow(dialog);
}

TEST(SurfaceKeys, TheControlStoresKeysButNotTab) {
  SurfaceDetach();
  HWND control = nullptr;
  HWND dialog = MakeSurfaceDialog(control);
  WindowRecord* record = RecordFind(control);
  SendMessageW(control, WM_KEYDOWN, VK_TAB, (0x0F << 16) | 1);
  SendMessageW(control, WM_CHAR, '\t', (0x0F << 16) | 1);
  EXPECT_EQ(record->key, 0u);
  SendMessageW(control, WM_SYSKEYDOWN, VK_F10, (0x44 << 16) | 1);
  EXPECT_EQ(record->key, 0x44u * 65536);
  SendMessageW(control, WM_CHAR, 'q', (0x10 << 16) | 1);
  EXPECT_EQ(record->key, static_cast<uint32_t>('q'));
  SendMessageW(control, WM_KEYDOWN, VK_LEFT, (0x4B << 16) | (1 << 24) | 1);
  EXPECT_EQ(record->key, 0x4Bu << 16);
  EXPECT_EQ(SendMessageW(control, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
  DestroyWindow(dialog);
}

TEST(SurfacePaint, OnlyWholeDrawsOfGraphicControlsAreHandled) {
  SurfaceDetach();
  HWND control = nullptr;
  HWND dialog = MakeSurfaceDialog(control);
  AddControl(15, dialog, 7, 0, 0, 10, 10, 0);
  HDC dc = GetDC(control);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = testing::kControlId;
  item.hDC = dc;
  item.itemAction = ODA_FOCUS;
  EXPECT_FALSE(SurfacePaint(item, dialog));
  item.itemAction = ODA_DRAWENTIRE;
  EXPECT_TRUE(SurfacePaint(item, dialog));
  item.CtlID = 7;
  EXPECT_FALSE(SurfacePaint(item, dialog));
  ReleaseDC(control, dc);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace qv
