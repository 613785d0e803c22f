#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "control_add.h"
#include "dialog_create.h"
#include "dialog_messages.h"
#include "dialog_procedure.h"
#include "window_record.h"
#include "dialog_test_support.h"
#include "frame.h"
#include "string_ops.h"

namespace qv {
namespace {

using testing::AddControl;
using testing::MakeToolDialog;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

uint32_t StyleOf(HWND window) { return static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)); }

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    records_before_ = RecordCount();
    dialog_ = MakeToolDialog();
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    EXPECT_EQ(RecordCount(), records_before_);  // the dialog's teardown took every control
  }
  HWND Add(int32_t kind, int32_t id, uint32_t style, int32_t width = 120, int32_t height = 30,
           const std::u16string& text = u"", const std::u16string& class_name = u"") {
    AddControl(kind, dialog_, id, 10, 10, width, height, style, 0, nullptr, text, class_name);
    return GetDlgItem(dialog_, id);
  }

  HWND dialog_ = nullptr;
  int32_t records_before_ = 0;
};

// The kind table as documented for program writers: class, default, forced and cleared bits.
struct KindRow {
  const wchar_t* window_class;
  uint32_t default_style, forced, cleared;
};
constexpr KindRow kDocumentedKinds[26] = {
    {L"Static", 0, 0, 0},  // kind 0: the caller's class and style
    {L"Button", 0x50010000, 0x50000000, 0},
    {L"Button", 0x50010006, 0x50000006, 0xA7FC00C9},
    {L"Button", 0x50010003, 0x50000003, 0xA7FC00CC},
    {L"Button", 0x50000007, 0x50000007, 0xA7FFD0F8},
    {L"Static", 0x50000000, 0x50000000, 0},
    {L"Static", 0x50000012, 0x50000000, 0},
    {L"Button", 0x50010009, 0x50000009, 0xA7FC00C6},
    {L"ScrollBar", 0x50000000, 0x50000000, 0},
    {L"Edit", 0x50810080, 0x50000000, 0},
    {L"Static", 0x5000000E, 0x5000000E, 0},
    {L"Static", 0x5000000E, 0x5000000E, 0},
    {L"Button", 0x50010080, 0x50000080, 0},
    {L"Button", 0x50010080, 0x50000080, 0},
    {L"Static", 0x5001000D, 0x5000000D, 0},
    {L"Static", 0x5001000D, 0x5000000D, 0},
    {L"SysHeader32", 0x50000000, 0x50000000, 0},
    {L"SysListView32", 0x50000009, 0x50000000, 0},
    {L"SysTreeView32", 0x50010027, 0x50000000, 0},
    {L"msctls_progress32", 0x50800000, 0x50000000, 0},
    {L"msctls_statusbar32", 0x50000003, 0x50000000, 0},
    {L"ToolbarWindow32", 0x50800801, 0x50000000, 0},
    {L"SysTabControl32", 0x56010000, 0x50000000, 0x00000305},
    {L"Static", 0, 0, 0},  // kind 23: the caller's class and style
    {L"ComboBox", 0x50010102, 0x50000000, 0},
    {L"ListBox", 0x50A10003, 0x50000001, 0},
};

TEST_F(Controls, EveryKindGetsItsClassAndTableStyle) {
  for (int32_t kind = 0; kind <= 25; ++kind) {
    SCOPED_TRACE(kind);
    const KindRow& row = kDocumentedKinds[kind];
    int32_t id = 100 + kind;
    // Kinds 0 and 23 name their class and take the caller's style unchanged.
    bool custom = kind == 0 || kind == 23;
    HWND control = Add(kind, id, custom ? WS_CHILD | SS_LEFT : 0, 120, 30, u"", u"STATIC");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(_wcsicmp(ClassOf(control).c_str(), row.window_class), 0) << ClassOf(control).c_str();
    WindowRecord* record = RecordFind(control);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kind);
    EXPECT_EQ(record->parent, dialog_);
    EXPECT_EQ(record->flags & ~0xC000u, 0x20000002u);

    uint32_t expected = custom ? WS_CHILD | SS_LEFT : (row.default_style | row.forced) & ~row.cleared;
    // Edit, combo and list boxes trade the default border for a sunken edge.
    if (kind == 9 || kind == 24 || kind == 25) expected &= ~static_cast<uint32_t>(WS_BORDER);
    if (kind == 10 || kind == 11) expected = (expected & ~0xEu) | SS_ICON;  // no such bitmap
    if (kind == 12 || kind == 13) expected = (expected & ~0x80u) | BS_ICON;
    EXPECT_EQ(record->style, expected);
    // Windows keep the bits they were created with; scroll bars come and go with the content.
    uint32_t lasting = expected & 0xFFFF0000u & ~static_cast<uint32_t>(WS_VSCROLL | WS_HSCROLL);
    EXPECT_EQ(StyleOf(control) & lasting, lasting);
    if (kind == 9 || kind == 25) {
      EXPECT_EQ(record->ex_style, static_cast<uint32_t>(WS_EX_CLIENTEDGE));
    }
  }
}

TEST_F(Controls, ExplicitStyleGetsOnlyForcedAndClearedBits) {
  HWND graphic = Add(14, 1001, WS_BORDER);
  EXPECT_EQ(RecordFind(graphic)->style, 0x5080000Du);
  EXPECT_EQ(StyleOf(graphic) & 0xFFFFFFFu, 0x5080000Du & 0xFFFFFFFu);
  // Check box: the cleared bits go even when the caller sets them.
  HWND check = Add(3, 1002, 0xFFFFFFFF);
  EXPECT_EQ(RecordFind(check)->style, 0xFFFFFFFFu & ~0xA7FC00CCu);
  // A list box with an explicit border keeps the plain border.
  HWND list = Add(25, 1004, WS_BORDER);
  EXPECT_EQ(RecordFind(list)->style, 0x50800001u);
  EXPECT_EQ(RecordFind(list)->ex_style, 0u);
}

TEST_F(Controls, VerticalScrollBarWithItsRange) {
  HWND bar = Add(8, 1001, 0, 20, 200);
  EXPECT_EQ(StyleOf(bar) & SBS_VERT, static_cast<uint32_t>(SBS_VERT));
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(bar, SB_CTL, &info);
  EXPECT_EQ(std::vector<int>({info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos}),
            std::vector<int>({0, 100, 10, 0}));
}

TEST_F(Controls, TreeViewKeepsItsCheckBoxes) {
  HWND tree = Add(18, 1001, 0x50010027 | TVS_CHECKBOXES);
  EXPECT_NE(StyleOf(tree) & TVS_CHECKBOXES, 0u);
  EXPECT_NE(RecordFind(tree)->style & TVS_CHECKBOXES, 0u);
}

TEST_F(Controls, ItemListStopsAtTheFirstEmptyItem) {
  DynString items[] = {DynString::FromBytes("alpha"), DynString::FromBytes("beta"), DynString(),
                       DynString::FromBytes("never")};
  ItemList list{items, false};
  AddControl(25, dialog_, 1001, 0, 0, 100, 100, 0, 0, nullptr, u"", u"", &list);
  HWND box = GetDlgItem(dialog_, 1001);
  EXPECT_EQ(SendMessageW(box, LB_GETCOUNT, 0, 0), 2);
  MessageTextQuery(box, 1, LB_GETTEXT, LB_GETTEXTLEN);
  EXPECT_EQ(PopText().wide(), u"beta");
  MessageTextQuery(box, 7, LB_GETTEXT, LB_GETTEXTLEN);  // no such item
  EXPECT_TRUE(PopText().empty());
  DynString wide[] = {DynString::FromUnits(u"\u00e9t\u00e9")};
  ItemList wide_list{wide, true};
  AddControl(24, dialog_, 1002, 0, 0, 100, 100, 0, 0, nullptr, u"", u"", &wide_list);
  EXPECT_EQ(ControlMessageSend(dialog_, 1002, CB_GETCOUNT), 1);
}

TEST_F(Controls, ImageControlsShowANamedBitmapOrElseAnIcon) {
  HWND image = Add(10, 1001, 0, 100, 100, u"testimage");  // names compare without case
  WindowRecord* record = RecordFind(image);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->flags & 0xC000u, 0x8000u);
  EXPECT_EQ(record->style & 0xFu, static_cast<uint32_t>(SS_BITMAP));
  ASSERT_NE(record->image, nullptr);
  EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0)), record->image);
  BITMAP natural{};
  GetObjectW(record->image, sizeof natural, &natural);
  EXPECT_EQ(natural.bmWidth, 4);
  EXPECT_EQ(GetWindowTextLengthW(image), 0);  // image controls get no text
  HWND scaled = Add(13, 1002, 0, 40, 30, u"TESTIMAGE");
  BITMAP sized{};
  GetObjectW(RecordFind(scaled)->image, sizeof sized, &sized);
  EXPECT_EQ(sized.bmWidth, 40);
  EXPECT_EQ(sized.bmHeight, 30);

  HWND missing = Add(12, 1003, 0, 40, 30, u"NOSUCHIMAGE");
  EXPECT_EQ(RecordFind(missing)->flags & 0xC000u, 0x4000u);
  EXPECT_EQ(RecordFind(missing)->style & (BS_ICON | BS_BITMAP), static_cast<uint32_t>(BS_ICON));
  EXPECT_EQ(RecordFind(missing)->image, nullptr);

  // The record's teardown deletes the images it loaded.
  HANDLE loaded = record->image;
  DestroyWindow(image);
  RecordDestroy(image);
  EXPECT_EQ(GetObjectType(loaded), 0u);
}

TEST_F(Controls, BadArgumentsCreateNothingAndReleaseTheOperands) {
  int depth = ProcedureFrame::Current().operands().depth();
  int32_t records = RecordCount();
  Add(26, 1001, 0);
  Add(-1, 1002, 0);
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  AddControl(5, plain, 1003, 0, 0, 10, 10, 0);
  AddControl(5, nullptr, 1004, 0, 0, 10, 10, 0);
  Add(0, 1005, WS_CHILD, 10, 10, u"", u"NoSuchClass");
  EXPECT_EQ(GetDlgItem(dialog_, 1001), nullptr);
  EXPECT_EQ(GetDlgItem(dialog_, 1002), nullptr);
  EXPECT_EQ(GetDlgItem(plain, 1003), nullptr);
  EXPECT_EQ(GetDlgItem(dialog_, 1005), nullptr);
  EXPECT_EQ(RecordCount(), records);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), depth);
  DestroyWindow(plain);
}

TEST_F(Controls, DialogUnitDialogMapsControlRectangles) {
  HWND units = testing::MakeDialog(u"units", kCentred, kCentred, 200, 100, 0, 0, 0);
  ASSERT_NE(units, nullptr);
  AddControl(5, units, 1001, 10, 20, 40, 8, 0);
  HWND label = GetDlgItem(units, 1001);
  RECT expected{10, 20, 50, 28};
  MapDialogRect(units, &expected);
  RECT placed{};
  GetWindowRect(label, &placed);
  MapWindowPoints(nullptr, units, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_TRUE(EqualRect(&placed, &expected));
  EXPECT_EQ(RecordFind(label)->flags, 0x20000001u);
  DestroyWindow(units);
}

// Colours as the WM_CTLCOLOR handling answers them.
TEST_F(Controls, TransparentBackgroundGivesATransparentDcAndTheNullBrush) {
  HWND label = Add(5, 1001, 0);
  ASSERT_TRUE(RecordFieldSet(label, RecordField::kTextColour, 0x0000FF));
  ASSERT_TRUE(RecordFieldSet(label, RecordField::kBackgroundColour, kColourNone));
  HDC dc = GetDC(label);
  SetBkMode(dc, OPAQUE);
  SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, 0);
  LRESULT brush = SendMessageW(dialog_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(GetTextColor(dc), 0x0000FFu);
  ReleaseDC(label, dc);
}

TEST_F(Controls, ControlColourRules) {
  HWND label = Add(5, 1001, 0);
  HDC dc = GetDC(label);
  auto colour = [&](UINT message) {
    return reinterpret_cast<HBRUSH>(
        SendMessageW(dialog_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
  };
  // Default handling: the engine sets nothing and leaves the answer to the dialog manager.
  SetTextColor(dc, 0x123456);
  EXPECT_EQ(ControlColourResolve(dialog_, WM_CTLCOLORSTATIC, dc, label), 0);
  EXPECT_EQ(GetTextColor(dc), 0x123456u);
  // System colours of the message's roles.
  RecordFieldSet(label, RecordField::kTextColour, kColourSystem);
  RecordFieldSet(label, RecordField::kBackgroundColour, kColourSystem);
  EXPECT_EQ(colour(WM_CTLCOLOREDIT), GetSysColorBrush(COLOR_WINDOW));
  EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  ReleaseDC(label, dc);
}

// A WM_COMMAND from a control whose callback answers stays away from the dialog's callback.
TEST(ControlCallbacks, AnsweringControlCallbackKeepsTheCommandFromTheDialog) {
  HWND dialog = MakeToolDialog();
  ASSERT_NE(dialog, nullptr);
  static int control_calls, dialog_commands;
  control_calls = dialog_commands = 0;
  auto answering = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_COMMAND) ++control_calls;
    return 1;
  };
  auto silent = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_COMMAND) ++control_calls;
    return 0;
  };
  AddControl(1, dialog, 1001, 10, 10, 80, 24, 0, 0, answering, u"Answer");
  AddControl(1, dialog, 1002, 10, 40, 80, 24, 0, 0, silent, u"Silent");
  RecordFind(dialog)->callback = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_COMMAND) ++dialog_commands;
    return 0;
  };
  ShowWindow(dialog, SW_SHOW);
  SendMessageW(GetDlgItem(dialog, 1001), BM_CLICK, 0, 0);
  EXPECT_EQ(control_calls, 1);
  EXPECT_EQ(dialog_commands, 0);
  SendMessageW(GetDlgItem(dialog, 1002), BM_CLICK, 0, 0);
  EXPECT_EQ(control_calls, 2);
  EXPECT_EQ(dialog_commands, 1);
  DestroyWindow(dialog);
}

TEST(Records, OperationsOnHandlesWithoutRecord) {
  HWND nowhere = reinterpret_cast<HWND>(0x4321);
  int32_t records = RecordCount();
  RecordDestroy(nowhere);
  RecordDestroy(nullptr);
  EXPECT_EQ(RecordCount(), records);
  EXPECT_FALSE(RecordFieldGet(nowhere, RecordField::kFlags).has_value());
  EXPECT_FALSE(RecordFieldSet(nowhere, RecordField::kFlags, 1));
  EXPECT_EQ(RecordCreate(nullptr, nullptr, 0, 0), nullptr);
  ASSERT_NE(RecordCreate(nowhere, nullptr, 0, 5), nullptr);
  EXPECT_EQ(RecordCreate(nowhere, nullptr, 0, 5), nullptr);  // one record per handle
  EXPECT_EQ(RecordCount(), records + 1);
  RecordDestroy(nowhere);
  EXPECT_EQ(RecordCount(), records);
}

TEST(Records, SharedBrushSurvivesUntilItsLastUser) {
  HANDLE a = reinterpret_cast<HANDLE>(0x5001), b = reinterpret_cast<HANDLE>(0x5002);
  WindowRecord* first = RecordCreate(a, nullptr, 0, 26);
  WindowRecord* second = RecordCreate(b, nullptr, 0, 26);
  ASSERT_TRUE(first && second);
  HBRUSH shared = first->graphic_brush;
  EXPECT_EQ(second->graphic_brush, shared);
  RecordDestroy(a);
  LOGBRUSH info{};
  EXPECT_NE(GetObjectW(shared, sizeof info, &info), 0);  // still alive for the second record
  RecordDestroy(b);
  EXPECT_EQ(GetObjectW(shared, sizeof info, &info), 0);
}

}  // namespace
}  // namespace qv
