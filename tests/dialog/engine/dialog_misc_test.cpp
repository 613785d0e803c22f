#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "dialog_create.h"
#include "dialog_end.h"
#include "dialog_show.h"
#include "dialog_text.h"
#include "window_record.h"
#include "dialog_test_support.h"
#include "string_ops.h"

namespace qv {
namespace {

using testing::AddControl;
using testing::MakeDialog;
using testing::MakeToolDialog;

int idle_messages = 0;

LRESULT CALLBACK CountIdle(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_ENTERIDLE) ++idle_messages;
  return 0;
}

LRESULT CALLBACK EndSoon(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) SetTimer(dialog, 1, 150, nullptr);
  if (message == WM_TIMER && wparam == 1) DialogEnd(dialog, 2);
  return 0;
}

// Runs a dialog owned by an engine dialog and counts the owner's idle messages.
int IdleMessagesSeenByOwner(uint32_t style) {
  HWND owner = MakeDialog(u"owner", 0, 0, 200, 100, WS_POPUP | WS_CAPTION);
  RecordFind(owner)->callback = CountIdle;
  HWND dialog = MakeDialog(u"owned", kCentred, kCentred, 200, 100, style, 0, 2, owner);
  EXPECT_EQ(RecordFind(dialog)->parent, owner);
  idle_messages = 0;
  int32_t result = 0;
  DialogShowModal(dialog, EndSoon, &result);
  EXPECT_EQ(result, 2);
  EXPECT_TRUE(IsWindowEnabled(owner));  // given back when the dialog ended
  DestroyWindow(owner);
  return idle_messages;
}

TEST(IdleMessages, OwnerHearsOfTheIdleLoopUnlessTheDialogAsksNot) {
  EXPECT_GT(IdleMessagesSeenByOwner(testing::kToolStyle), 0);
  EXPECT_EQ(IdleMessagesSeenByOwner(testing::kToolStyle | DS_NOIDLEMSG), 0);
}

TEST(DialogText, SetAndGetTheTitle) {
  HWND dialog = MakeToolDialog();
  PushOwned(DynString::FromUnits(u"Bit grid \u2013 COM3"));
  DialogSetText(dialog);
  DialogGetText(dialog);
  EXPECT_EQ(PopText().wide(), u"Bit grid \u2013 COM3");
  DestroyWindow(dialog);
  DialogGetText(dialog);  // a window that is gone has no text
  EXPECT_TRUE(PopText().empty());
}

TEST(DialogSize, BarsFollowTheDialogsSize) {
  HWND dialog = MakeDialog(u"bars", 0, 0, 400, 300, WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0);
  AddControl(20, dialog, 1001, 0, 0, 100, 20, 0);
  HWND status = GetDlgItem(dialog, 1001);
  RecordFind(dialog)->callback = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
  auto bar_width = [&] {
    RECT bar{};
    GetWindowRect(status, &bar);
    return bar.right - bar.left;
  };
  // The dialog grows and shrinks; the system's own WM_SIZE carries the new client width.
  for (int width : {640, 250}) {
    SetWindowPos(dialog, nullptr, 0, 0, width, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(bar_width(), client.right);
  }
  DestroyWindow(dialog);
}

TEST(TabPages, SelectionShowsItsPageAndSizingFitsThePages) {
  HWND dialog = MakeToolDialog();
  AddControl(22, dialog, 1001, 10, 10, 400, 300, 0);
  HWND tab = GetDlgItem(dialog, 1001);
  ASSERT_NE(tab, nullptr);
  HWND pages[2];
  for (int i = 0; i < 2; ++i) {
    pages[i] = MakeDialog(u"", 0, 0, 50, 50, WS_CHILD | DS_CONTROL, 0, 2, tab);
    ASSERT_NE(pages[i], nullptr);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(i ? L"Two" : L"One");
    item.lParam = reinterpret_cast<LPARAM>(pages[i]);
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tab, TCM_SETCURSEL, 1, 0);
  NMHDR change{tab, 1001, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(dialog, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&change));
  EXPECT_TRUE(GetWindowLongW(pages[1], GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(RecordFind(pages[1])->show_command, SW_SHOW);
  NMHDR changing{tab, 1001, static_cast<UINT>(TCN_SELCHANGING)};
  SendMessageW(dialog, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&changing));
  EXPECT_FALSE(GetWindowLongW(pages[1], GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(RecordFind(pages[1])->show_command, SW_HIDE);

  SetWindowPos(tab, nullptr, 0, 0, 500, 320, SWP_NOMOVE | SWP_NOZORDER);
  RECT area{0, 0, 500, 320};
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  RECT page{};
  GetWindowRect(pages[0], &page);
  EXPECT_EQ(page.right - page.left, area.right - area.left);
  EXPECT_EQ(page.bottom - page.top, area.bottom - area.top);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace qv
