#include <gtest/gtest.h>

#include <windows.h>

#include "dialog_create.h"
#include "dialog_text.h"
#include "font_table.h"
#include "window_record.h"
#include "dialog_test_support.h"
#include "frame.h"
#include "string_ops.h"

namespace qv {
namespace {

using testing::MakeDialog;
using testing::MakeToolDialog;

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

std::u16string TextOf(HWND window) {
  DialogGetText(window);
  return PopText().wide();
}

TEST(FontTable, StartUpCreatesTheThreeDefaultFonts) {
  const FontRecord* sans = FontTableFind(1);
  const FontRecord* large = FontTableFind(3);
  ASSERT_TRUE(sans && FontTableFind(2) && large);
  // Entries added later by the program are not start-up fonts.
  for (int32_t number = 4; const FontRecord* later = FontTableFind(number); ++number)
    EXPECT_EQ(later->style_bits & kFontDefault, 0u);
  EXPECT_STREQ(sans->face.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(sans->point_size, 8.0f);
  EXPECT_STREQ(large->face.lfFaceName, L"Lucida Console");
  EXPECT_EQ(large->face.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_EQ(FontTableAdd(*large), 3);  // an equal description is the same entry
}

TEST(DialogCreate, StyleNormalisation) {
  EXPECT_EQ(DialogStyleNormalise(0x00C80080, nullptr, kCentred, kCentred), 0x00C808D4u);
  EXPECT_EQ(DialogStyleNormalise(0x00C80080, nullptr, 10, 20), 0x00C800D4u);
  EXPECT_EQ(DialogStyleNormalise(0, nullptr, kCentred, kCentred), 0x80C008D4u);
  // A child without parent becomes a popup.
  EXPECT_EQ(DialogStyleNormalise(WS_CHILD | WS_POPUP | DS_ABSALIGN, nullptr, 0, 0), 0x80000054u);
  HWND parent = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(DialogStyleNormalise(WS_CHILD | WS_POPUP | DS_ABSALIGN, parent, 0, 0), 0x40000054u);
}

TEST(DialogCreate, ToolDialogHasTheClientSizeAskedForAndIsCentredOnTheWorkArea) {
  int32_t before = RecordCount();
  HWND dialog = MakeToolDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(RecordCount(), before + 1);
  SIZE client = ClientSize(dialog);
  EXPECT_EQ(client.cx, 1220);
  EXPECT_EQ(client.cy, 980);

  RECT work{}, window{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(dialog, &window);
  LONG w = window.right - window.left, h = window.bottom - window.top;
  EXPECT_GT(w, 1220);  // a caption and frame around the client
  EXPECT_EQ(window.left, (work.left + work.right - w) / 2);
  EXPECT_EQ(window.top, (work.top + work.bottom - h) / 2);

  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_EQ(TextOf(dialog), u"Bit grid");
  WindowRecord* record = RecordFind(dialog);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->flags, 0x40000002u);
  EXPECT_EQ(record->style, 0x00C808D4u);
  EXPECT_EQ(record->show_command, SW_SHOW);

  // The dialog's font is the current dialog font of the template.
  ASSERT_NE(record->font, nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), record->font);
  LOGFONTW face{};
  GetObjectW(record->font, sizeof face, &face);
  EXPECT_STREQ(face.lfFaceName, L"MS Sans Serif");

  DestroyWindow(dialog);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(RecordCount(), before);
}

TEST(DialogCreate, WindowLargerThanTheWorkAreaIsPlacedAtZero) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  HWND dialog = MakeDialog(u"wide", kCentred, kCentred, work.right - work.left + 100, 200);
  ASSERT_NE(dialog, nullptr);
  RECT window{};
  GetWindowRect(dialog, &window);
  EXPECT_EQ(window.left, 0);
  EXPECT_GT(window.top, 0);
  DestroyWindow(dialog);
}

TEST(DialogCreate, UncentredPixelDialogIsPlacedWhereAsked) {
  HWND dialog = MakeDialog(u"", 40, 30, 300, 200, WS_POPUP | WS_CAPTION);
  ASSERT_NE(dialog, nullptr);
  RECT window{};
  GetWindowRect(dialog, &window);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 30);
  EXPECT_EQ(ClientSize(dialog).cx, 300);
  // An empty title reads back as the empty string, not the template's space.
  EXPECT_EQ(TextOf(dialog), u"");
  DestroyWindow(dialog);
}

TEST(DialogCreate, DialogUnitModeIsRecordedAsSuch) {
  HWND dialog = MakeDialog(u"units", kCentred, kCentred, 100, 50, 0, 0, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(RecordFind(dialog)->flags, 0x40000001u);
  // 100 x 50 dialog units map to the client size through the dialog's font.
  RECT units{0, 0, 100, 50};
  MapDialogRect(dialog, &units);
  EXPECT_EQ(ClientSize(dialog).cx, units.right);
  EXPECT_EQ(ClientSize(dialog).cy, units.bottom);
  DestroyWindow(dialog);
}

TEST(DialogCreate, FailedCreationGivesZeroAndConsumesTheTitle) {
  int32_t before = RecordCount();
  int depth = ProcedureFrame::Current().operands().depth();
  // A child dialog of a window that does not exist cannot be created.
  HWND dialog = MakeDialog(u"orphan", 0, 0, 100, 100, WS_CHILD, 0, 2, reinterpret_cast<HWND>(0x7FFF0));
  EXPECT_EQ(dialog, nullptr);
  EXPECT_EQ(RecordCount(), before);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), depth);
}

}  // namespace
}  // namespace qv
