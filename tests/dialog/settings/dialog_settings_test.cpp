#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "control_add.h"
#include "dialog_create.h"
#include "dialog_messages.h"
#include "dialog_settings.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "dialog_text.h"
#include "dialog_units.h"
#include "font_table.h"
#include "frame.h"
#include "string_ops.h"
#include "thread_record.h"
#include "window_record.h"

namespace qv {
namespace {

using testing::AddControl;
using testing::CaptureClient;
using testing::MakeDialog;
using testing::PumpFor;

// Screen pixels are 0x00RRGGBB; colour arguments are 0x00BBGGRR.
constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000, kYellow = 0x00FFFF;
constexpr uint32_t kBluePixel = 0x0000FF, kYellowPixel = 0xFFFF00;

size_t CountOf(const std::vector<uint32_t>& pixels, uint32_t value) {
  return static_cast<size_t>(std::count(pixels.begin(), pixels.end(), value));
}

// Red text pixels, smoothed edges included.
bool Reddish(uint32_t pixel) { return (pixel >> 16) > 0xA0 && ((pixel >> 8) & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60; }

size_t RedCount(const std::vector<uint32_t>& pixels) {
  return static_cast<size_t>(std::count_if(pixels.begin(), pixels.end(), Reddish));
}

// Rows of the window's client area that hold red ink: how tall the text is.
int InkHeight(HWND window) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = CaptureClient(window, width, height);
  if (width <= 0) return 0;
  int first = -1, last = -1;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (!Reddish(pixels[i])) continue;
    int row = static_cast<int>(i) / width;
    if (first < 0) first = row;
    last = row;
  }
  return first < 0 ? 0 : last - first + 1;
}

// Shows a dialog without a modal loop and lets it paint.
void ShowAndPaint(HWND dialog) {
  DialogShowModeless(dialog, nullptr, nullptr);
  UpdateWindow(dialog);
  PumpFor(300);
}

void Repaint(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpFor(200);
}

// One visible pixel-mode dialog for the tests that look at the screen: showing a window under
// Wine without a window manager takes a while.
class OnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dialog_ = MakeDialog(u"Settings", 60, 60, 480, 320, testing::kToolStyle, 0);
    ShowAndPaint(dialog_);
  }
  static void TearDownTestSuite() { DestroyWindow(dialog_); }
  void TearDown() override {
    for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(dialog_, GW_CHILD))
      ControlKill(dialog_, GetDlgCtrlID(child));
    ControlSetColor(dialog_, kDialogItself, -1, -1);
    Repaint(dialog_);
  }
  static HWND Label(int32_t id, const std::u16string& text, int32_t x = 10, int32_t y = 10) {
    AddControl(5, dialog_, id, x, y, 220, 60, 0, 0, nullptr, text);
    return GetDlgItem(dialog_, id);
  }
  static HWND dialog_;
};
HWND OnScreen::dialog_ = nullptr;

TEST_F(OnScreen, LabelShowsItsTextAndBackgroundColours) {
  HWND label = Label(2001, u"MMMMMMMM");
  ControlSetColor(dialog_, 2001, kRed, kBlue);
  Repaint(label);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = CaptureClient(label, w, h);
  ASSERT_GT(pixels.size(), 0u);
  EXPECT_GT(CountOf(pixels, kBluePixel), pixels.size() / 2);  // the background
  EXPECT_GT(RedCount(pixels), 20u);                  // the letters
  WindowRecord* record = RecordFind(label);
  EXPECT_EQ(record->text_colour, kRed);
  EXPECT_EQ(record->background_colour, kBlue);

  // Back to the system colours: no trace of blue or red is left.
  ControlSetColor(dialog_, 2001, -7, -1);
  Repaint(label);
  pixels = CaptureClient(label, w, h);
  EXPECT_EQ(CountOf(pixels, kBluePixel), 0u);
  EXPECT_EQ(RedCount(pixels), 0u);
  EXPECT_EQ(record->text_colour, kColourSystem);
  EXPECT_EQ(record->background_brush, nullptr);
}

TEST_F(OnScreen, TransparentLabelShowsTheDialogsBackground) {
  ControlSetColor(dialog_, kDialogItself, 0, kYellow);
  HWND label = Label(2002, u"MMMMMMMM");
  ControlSetColor(dialog_, 2002, kRed, -2);
  Repaint(dialog_);
  int w = 0, h = 0;
  std::vector<uint32_t> dialog_pixels = CaptureClient(dialog_, w, h);
  EXPECT_GT(CountOf(dialog_pixels, kYellowPixel), dialog_pixels.size() / 2);
  std::vector<uint32_t> pixels = CaptureClient(label, w, h);
  EXPECT_GT(CountOf(pixels, kYellowPixel), pixels.size() / 2);
  EXPECT_GT(RedCount(pixels), 20u);
  EXPECT_EQ(RecordFind(label)->background_colour, kColourNone);
  EXPECT_EQ(RecordFind(label)->background_brush, nullptr);
}

TEST_F(OnScreen, ListViewTakesTransparentAsTheSystemColour) {
  AddControl(17, dialog_, 2003, 10, 10, 150, 100, 0);
  AddControl(17, dialog_, 2004, 200, 10, 150, 100, 0);
  HWND transparent = GetDlgItem(dialog_, 2003), system = GetDlgItem(dialog_, 2004);
  // With the dialog at its default colours both mean "no background of its own".
  ControlSetColor(dialog_, 2003, 0, -2);
  ControlSetColor(dialog_, 2004, 0, -1);
  EXPECT_EQ(SendMessageW(transparent, LVM_GETBKCOLOR, 0, 0), SendMessageW(system, LVM_GETBKCOLOR, 0, 0));
  EXPECT_EQ(RecordFind(transparent)->background_colour, kColourSystem);
  // With a dialog colour both follow it, on screen too.
  ControlSetColor(dialog_, kDialogItself, 0, kYellow);
  ControlSetColor(dialog_, 2003, 0, -2);
  ControlSetColor(dialog_, 2004, 0, -1);
  EXPECT_EQ(SendMessageW(transparent, LVM_GETBKCOLOR, 0, 0), kYellow);
  EXPECT_EQ(SendMessageW(system, LVM_GETBKCOLOR, 0, 0), kYellow);
  Repaint(dialog_);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = CaptureClient(transparent, w, h);
  EXPECT_GT(CountOf(pixels, kYellowPixel), pixels.size() / 2);
}

TEST_F(OnScreen, TreeViewProgressBarAndScrollBarColours) {
  AddControl(18, dialog_, 2006, 10, 10, 150, 100, 0);
  AddControl(19, dialog_, 2007, 10, 120, 150, 20, 0);
  AddControl(8, dialog_, 2008, 200, 10, 20, 100, 0);
  HWND tree = GetDlgItem(dialog_, 2006), bar = GetDlgItem(dialog_, 2007), scroll = GetDlgItem(dialog_, 2008);
  ControlSetColor(dialog_, 2006, kRed, kBlue);
  EXPECT_EQ(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0), kBlue);
  EXPECT_EQ(SendMessageW(tree, TVM_GETTEXTCOLOR, 0, 0), kRed);
  EXPECT_EQ(SendMessageW(tree, TVM_GETLINECOLOR, 0, 0), kRed);
  ControlSetColor(dialog_, 2007, kRed, kYellow);
  EXPECT_EQ(SendMessageW(bar, PBM_GETBARCOLOR, 0, 0), kRed);
  EXPECT_EQ(SendMessageW(bar, PBM_GETBKCOLOR, 0, 0), kYellow);

  // A scroll bar without a colour of its own takes the dialog's, brush included.
  ControlSetColor(dialog_, kDialogItself, 0, kYellow);
  ControlSetColor(dialog_, 2008, 0, -1);
  WindowRecord* record = RecordFind(scroll);
  EXPECT_EQ(record->background_colour, kYellow);
  EXPECT_EQ(record->background_brush, RecordFind(dialog_)->background_brush);  // one shared brush
  HDC dc = GetDC(scroll);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(dialog_, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(scroll)));
  EXPECT_EQ(brush, record->background_brush);
  EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(kYellow));
  ReleaseDC(scroll, dc);
}

TEST_F(OnScreen, FontNumberZeroIsFontOneAndABiggerFontGrowsTheText) {
  HWND label = Label(2005, u"HHHH");
  ControlSetColor(dialog_, 2005, kRed, -1);
  Repaint(label);
  int dialog_font_ink = InkHeight(label);

  int32_t users_of_one = FontTableFind(1)->references;
  ControlSetFont(dialog_, 2005, 0);
  WindowRecord* record = RecordFind(label);
  EXPECT_EQ(record->font_number, 1);
  EXPECT_EQ(FontTableFind(1)->references, users_of_one + 1);
  auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  LOGFONTW face{};
  ASSERT_NE(GetObjectW(font, sizeof face, &face), 0);
  EXPECT_EQ(std::wstring(face.lfFaceName), L"MS Sans Serif");
  HDC dc = GetDC(label);
  EXPECT_EQ(face.lfHeight, -MulDiv(GetDeviceCaps(dc, LOGPIXELSY), 8, 72));
  ReleaseDC(label, dc);

  int32_t current = CurrentDialogFontNumber();
  PushOwned(DynString::FromUnits(u"Tahoma"));
  DialogFontSelect(26, kFontBold, 0);
  int32_t big = CurrentDialogFontNumber();
  EXPECT_NE(big, current);
  ThreadRecordGet()->settings[0] = current;  // later dialogs keep the usual font
  ControlSetFont(dialog_, 2005, big);
  Repaint(label);
  int big_ink = InkHeight(label);
  EXPECT_GT(dialog_font_ink, 0);
  EXPECT_GT(big_ink, dialog_font_ink * 2);
  EXPECT_EQ(record->font_number, big);
  EXPECT_EQ(FontTableFind(big)->references, 1);
  EXPECT_EQ(FontTableFind(1)->references, users_of_one);  // released when replaced
}

TEST_F(OnScreen, ControlsCheckFocusEnableAndCallback) {
  AddControl(3, dialog_, 2010, 10, 10, 100, 20, 0, 0, nullptr, u"check");
  for (int32_t id = 2011; id <= 2013; ++id) AddControl(7, dialog_, id, 10, 20 * (id - 2010) + 10, 100, 20, 0);
  AddControl(9, dialog_, 2014, 150, 10, 100, 20, 0);
  ButtonSetCheck(dialog_, 2010, BST_CHECKED);
  EXPECT_EQ(ButtonGetCheck(dialog_, 2010), BST_CHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog_, 2010), BM_GETCHECK, 0, 0), BST_CHECKED);
  RadioCheck(dialog_, 2011, 2013, 2012);
  EXPECT_EQ(ButtonGetCheck(dialog_, 2011), 0);
  EXPECT_EQ(ButtonGetCheck(dialog_, 2012), BST_CHECKED);
  EXPECT_EQ(ButtonGetCheck(dialog_, 2013), 0);

  ControlSetFocus(dialog_, 2014);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, 2014));

  WindowEnable(dialog_, 2014, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, 2014)));
  WindowEnable(dialog_, kDialogItself, 0);
  EXPECT_FALSE(IsWindowEnabled(dialog_));
  WindowEnable(dialog_, kDialogItself, 7);
  EXPECT_TRUE(IsWindowEnabled(dialog_));

  static int clicks;
  clicks = 0;
  ControlSetCallback(dialog_, 2010, [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_COMMAND) ++clicks;
    return 1;
  });
  SendMessageW(GetDlgItem(dialog_, 2010), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(OnScreen, ControlKillRemovesTheWindowAndTheRecord) {
  HWND label = Label(2020, u"gone");
  int32_t records = RecordCount();
  ControlKill(dialog_, kDialogItself);  // never the dialog itself
  EXPECT_TRUE(IsWindow(dialog_));
  ControlKill(dialog_, 2020);
  EXPECT_FALSE(IsWindow(label));
  EXPECT_EQ(RecordFind(label), nullptr);
  EXPECT_EQ(RecordCount(), records - 1);
  ControlKill(dialog_, 2020);  // nothing left to remove
  EXPECT_EQ(RecordCount(), records - 1);
}

TEST_F(OnScreen, ImageReloadSwapsTheImageOfTheSameSort) {
  AddControl(10, dialog_, 2030, 10, 10, 40, 40, 0, 0, nullptr, u"TESTIMAGE");
  AddControl(11, dialog_, 2031, 60, 10, 40, 30, 0, 0, nullptr, u"TESTIMAGE");
  HWND image = GetDlgItem(dialog_, 2030);
  HANDLE first = RecordFind(image)->image;
  ASSERT_NE(first, nullptr);
  auto width_of = [](HANDLE bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return std::pair(static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight));
  };
  EXPECT_EQ(width_of(first), std::pair(4, 3));

  auto reload = [](int32_t id, const std::u16string& name, int32_t offset) {
    PushOwned(DynString::FromUnits(name));
    ImageReload(dialog_, id, offset);
  };
  reload(2030, u"TESTICON", 0);   // an icon for a bitmap control: nothing happens
  reload(2030, u"WIDEIMAGE", 1);  // the control is not of kind 11
  EXPECT_EQ(RecordFind(image)->image, first);
  reload(2030, u"wideimage", 0);
  HANDLE second = RecordFind(image)->image;
  EXPECT_EQ(width_of(second), std::pair(8, 6));
  EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0)), second);
  EXPECT_EQ(GetObjectType(first), 0u);  // the replaced image is deleted

  reload(2031, u"WIDEIMAGE", 1);  // scaled to the client area
  RECT client{};
  GetClientRect(GetDlgItem(dialog_, 2031), &client);
  EXPECT_EQ(width_of(RecordFind(GetDlgItem(dialog_, 2031))->image), std::pair(int(client.right), int(client.bottom)));
}

// Image buttons take their new image with BM_SETIMAGE, icon controls a new icon; the replaced
// one is freed, and an image of the other sort changes nothing.
TEST_F(OnScreen, ImageReloadOfImageButtonsAndIcons) {
  AddControl(12, dialog_, 2032, 10, 10, 40, 40, 0, 0, nullptr, u"TESTIMAGE");
  AddControl(13, dialog_, 2033, 60, 10, 50, 30, 0, 0, nullptr, u"TESTIMAGE");
  AddControl(10, dialog_, 2034, 120, 10, 40, 40, 0, 0, nullptr, u"TESTICON");
  auto reload = [](int32_t id, const std::u16string& name, int32_t offset) {
    PushOwned(DynString::FromUnits(name));
    ImageReload(dialog_, id, offset);
  };
  auto size_of = [](HANDLE bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return std::pair(static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight));
  };
  for (int32_t id : {2032, 2033}) {
    HWND button = GetDlgItem(dialog_, id);
    HANDLE first = RecordFind(button)->image;
    ASSERT_NE(first, nullptr) << id;
    reload(id, u"WIDEIMAGE", id - 2032 + 2);
    HANDLE second = RecordFind(button)->image;
    EXPECT_NE(second, first) << id;
    EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageW(button, BM_GETIMAGE, IMAGE_BITMAP, 0)), second) << id;
    EXPECT_EQ(GetObjectType(first), 0u) << id;
    RECT client{};
    GetClientRect(button, &client);
    EXPECT_EQ(size_of(second), id == 2032 ? std::pair(8, 6) : std::pair(int(client.right), int(client.bottom)));
  }

  HWND icon = GetDlgItem(dialog_, 2034);
  HANDLE first = RecordFind(icon)->image;
  ASSERT_NE(first, nullptr);
  reload(2034, u"TESTIMAGE", 0);  // a bitmap for an icon control: nothing happens
  EXPECT_EQ(RecordFind(icon)->image, first);
  reload(2034, u"TESTICON", 0);
  HANDLE second = RecordFind(icon)->image;
  EXPECT_NE(second, first);
  EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageW(icon, STM_GETIMAGE, IMAGE_ICON, 0)), second);
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(static_cast<HICON>(first), &info));  // destroyed
}

// Only a window's own thread can destroy it: a kill from another thread is carried to the
// dialog's thread, and the record goes with the window, not before it.
TEST_F(OnScreen, ControlKillFromAnotherThreadRemovesTheWindowToo) {
  AddControl(5, dialog_, 2021, 10, 10, 200, 100, 0);
  AddControl(9, GetDlgItem(dialog_, 2021), 2022, 10, 10, 100, 20, 0);  // in a group
  HWND group = GetDlgItem(dialog_, 2021), inner = GetDlgItem(group, 2022);
  int32_t records = RecordCount();
  std::atomic<bool> done{false};
  std::thread killer([&] {
    ControlKill(group, 2022);
    ControlKill(dialog_, 2021);
    done = true;
  });
  while (!done) PumpFor(10);
  killer.join();
  EXPECT_FALSE(IsWindow(inner));
  EXPECT_FALSE(IsWindow(group));
  EXPECT_EQ(RecordFind(inner), nullptr);
  EXPECT_EQ(RecordCount(), records - 2);
}

// The focus walk goes up the record parents past controls to the dialog and brings that to the
// foreground, even while a window of another thread is there (a focus change alone would not).
TEST_F(OnScreen, ControlSetFocusBringsTheControlsDialogForward) {
  AddControl(5, dialog_, 2040, 10, 10, 200, 100, 0);
  HWND group = GetDlgItem(dialog_, 2040);
  AddControl(9, group, 2041, 10, 10, 100, 20, 0);
  HWND inner = GetDlgItem(group, 2041);
  ASSERT_NE(inner, nullptr);
  HWND other = nullptr;
  DWORD owner_thread = 0;
  HANDLE shown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 600, 60, 200, 100,
                            nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    owner_thread = GetCurrentThreadId();
    SetEvent(shown);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(other);
  });
  WaitForSingleObject(shown, 5000);
  PumpFor(200);
  ASSERT_EQ(GetForegroundWindow(), other);
  ControlSetFocus(group, 2041);
  PumpFor(200);
  EXPECT_EQ(GetForegroundWindow(), dialog_);
  EXPECT_EQ(GetFocus(), inner);
  PostThreadMessageW(owner_thread, WM_QUIT, 0, 0);
  owner.join();
  CloseHandle(shown);
}

TEST_F(OnScreen, DialogSetIconReplacesBothIcons) {
  HWND dialog = MakeDialog(u"icons", 0, 0, 100, 60);
  auto set_icon = [&](const std::u16string& name) {
    PushOwned(DynString::FromUnits(name));
    DialogSetIcon(dialog);
  };
  set_icon(u"TESTICON");
  WindowRecord* record = RecordFind(dialog);
  HICON large = record->large_icon, small = record->small_icon;
  ASSERT_TRUE(large && small);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0)), large);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0)), small);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(small, &info));
  BITMAP colour{};
  GetObjectW(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 16);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  set_icon(u"NOSUCHICON");  // changes nothing
  EXPECT_EQ(record->large_icon, large);
  set_icon(u"TESTICON");
  EXPECT_NE(record->large_icon, large);
  EXPECT_FALSE(DestroyIcon(large));  // the previous icons were destroyed
  EXPECT_FALSE(DestroyIcon(small));
  DestroyWindow(dialog);
}

// A name or text whose byte count is odd is its whole UTF-16 units: the last byte is no
// character, and nothing after the block is read as more of the name.
TEST_F(OnScreen, NamesWithAnOddLastByteAreTheirWholeUnits) {
  auto odd = [](const std::u16string& units) {
    std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    return DynString::FromBytes(bytes + "A");
  };
  auto text_of = [](HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return std::wstring(text);
  };

  PushOwned(odd(u"Odd"));
  HWND dialog = DialogCreate(0, nullptr, 0, 0, 100, 60, 0, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(text_of(dialog), L"Odd");
  PushOwned(odd(u"Text"));
  DialogSetText(dialog);
  EXPECT_EQ(text_of(dialog), L"Text");
  PushOwned(odd(u"TESTICON"));
  DialogSetIcon(dialog);
  EXPECT_NE(RecordFind(dialog)->large_icon, nullptr);

  DynString items[] = {odd(u"item")};
  ItemList list{items, true};
  PushOwned(odd(u"Static"));  // a class name
  PushOwned(odd(u"Custom"));
  ControlAdd(0, dialog, 3001, nullptr, 0, 0, 50, 40, WS_CHILD, 0, nullptr);
  EXPECT_EQ(text_of(GetDlgItem(dialog, 3001)), L"Custom");
  PushOwned(DynString());
  PushOwned(DynString());
  ControlAdd(25, dialog, 3002, &list, 0, 0, 50, 40, 0, 0, nullptr);
  MessageTextQuery(GetDlgItem(dialog, 3002), 0, LB_GETTEXT, LB_GETTEXTLEN);
  EXPECT_EQ(PopText().wide(), u"item");
  PushOwned(DynString());
  PushOwned(odd(u"Label"));
  ControlAdd(1, dialog, 3003, nullptr, 0, 0, 50, 40, 0, 0, nullptr);
  EXPECT_EQ(text_of(GetDlgItem(dialog, 3003)), L"Label");

  AddControl(10, dialog, 3004, 0, 0, 40, 40, 0, 0, nullptr, u"TESTIMAGE");
  HANDLE first = RecordFind(GetDlgItem(dialog, 3004))->image;
  PushOwned(odd(u"WIDEIMAGE"));
  ImageReload(dialog, 3004, 0);
  EXPECT_NE(RecordFind(GetDlgItem(dialog, 3004))->image, first);
  DestroyWindow(dialog);
}

// The style bits as programs pass them: 1 bold, 2 italic, 0x20 fixed pitch; only those are kept.
TEST(DialogFont, StyleBitsGiveWeightItalicAndPitch) {
  struct Case {
    uint32_t bits;
    LONG weight;
    BYTE italic;
    BYTE pitch;
    uint32_t kept;
  };
  const Case cases[] = {
      {0x00, FW_NORMAL, 0, DEFAULT_PITCH, 0x00},  {0x01, FW_BOLD, 0, DEFAULT_PITCH, 0x01},
      {0x02, FW_NORMAL, 0xFF, DEFAULT_PITCH, 0x02}, {0x20, FW_NORMAL, 0, FIXED_PITCH, 0x20},
      {0x04, FW_NORMAL, 0, DEFAULT_PITCH, 0x00},  {0x2127, FW_BOLD, 0xFF, FIXED_PITCH, 0x23},
  };
  const int32_t current = CurrentDialogFontNumber();
  for (const Case& c : cases) {
    PushOwned(DynString::FromUnits(u"Courier New"));
    DialogFontSelect(11, c.bits, 0);
    const FontRecord* entry = FontTableFind(CurrentDialogFontNumber());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->face.lfWeight, c.weight) << std::hex << c.bits;
    EXPECT_EQ(entry->face.lfItalic, c.italic) << std::hex << c.bits;
    EXPECT_EQ(entry->face.lfPitchAndFamily, c.pitch) << std::hex << c.bits;
    EXPECT_EQ(entry->style_bits, c.kept) << std::hex << c.bits;
  }
  ThreadRecordGet()->settings[0] = current;
}

// Sizes and locations, set and read back in pixels and in dialog units.
TEST(DialogFont, SelectedFontIsFoundOrAddedAndUsedByLaterDialogs) {
  int32_t current = CurrentDialogFontNumber();
  auto select = [](const std::u16string& face, int32_t points, uint32_t style) {
    PushOwned(DynString::FromUnits(face));
    DialogFontSelect(points, style, 0);
    return CurrentDialogFontNumber();
  };
  int32_t bold = select(u"Tahoma", 14, kFontBold);
  EXPECT_EQ(select(u"Tahoma", 14, kFontBold), bold);  // an equal entry is reused
  EXPECT_NE(select(u"Tahoma", 14, 0), bold);
  int32_t italic = select(u"Tahoma", 14, kFontDefault | kFontItalic | kFontFixedPitch | 0x100);
  const FontRecord* entry = FontTableFind(italic);
  EXPECT_EQ(entry->style_bits, static_cast<uint32_t>(kFontItalic | kFontFixedPitch));
  EXPECT_EQ(entry->face.lfItalic, 0xFF);
  EXPECT_EQ(entry->face.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_EQ(entry->face.lfWeight, FW_NORMAL);
  int32_t long_name = select(std::u16string(40, u'x'), 9, 0);
  EXPECT_EQ(std::wstring(FontTableFind(long_name)->face.lfFaceName), std::wstring(31, L'x'));

  select(u"Tahoma", 14, kFontBold);
  HWND dialog = MakeDialog(u"font", 0, 0, 100, 60);
  ThreadRecordGet()->settings[0] = current;
  LOGFONTW face{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof face, &face);
  EXPECT_EQ(std::wstring(face.lfFaceName), L"Tahoma");
  EXPECT_EQ(face.lfWeight, FW_BOLD);
  DestroyWindow(dialog);
}

TEST(WindowGeometry, PixelDialogRoundTrips) {
  HWND dialog = MakeDialog(u"pixels", 20, 30, 300, 200);
  AddControl(5, dialog, 3001, 10, 10, 50, 20, 0);
  EXPECT_EQ(WindowGetClientSize(dialog, kDialogItself).width, 300);
  WindowSetClientSize(dialog, kDialogItself, 333, 222);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 333);
  EXPECT_EQ(client.bottom, 222);
  WindowExtent read = WindowGetClientSize(dialog, kDialogItself);
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(333, 222));

  WindowSetSize(dialog, kDialogItself, 400, 300);
  RECT outer{};
  GetWindowRect(dialog, &outer);
  EXPECT_EQ(outer.right - outer.left, 400);
  read = WindowGetSize(dialog, kDialogItself);
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(400, 300));

  WindowSetSize(dialog, 3001, 120, 40);
  read = WindowGetSize(dialog, 3001);
  EXPECT_EQ(std::pair(read.width, read.height), std::pair(120, 40));
  WindowSetLocation(dialog, 3001, 15, 25);
  RECT placed{};
  GetWindowRect(GetDlgItem(dialog, 3001), &placed);
  POINT corner{placed.left, placed.top};
  ScreenToClient(dialog, &corner);
  EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(15L, 25L));
  WindowPoint at = WindowGetLocation(dialog, 3001);
  EXPECT_EQ(std::pair(at.x, at.y), std::pair(15, 25));

  // A dialog without owner is placed on the screen.
  WindowSetLocation(dialog, kDialogItself, 70, 80);
  GetWindowRect(dialog, &outer);
  EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(70L, 80L));
  at = WindowGetLocation(dialog, kDialogItself);
  EXPECT_EQ(std::pair(at.x, at.y), std::pair(70, 80));
  DestroyWindow(dialog);
}

TEST(WindowGeometry, DialogUnitsRoundTripAndRoundToTheNearestUnit) {
  HWND dialog = MakeDialog(u"units", 10, 10, 200, 120, 0, 0, 0);
  AddControl(5, dialog, 3002, 10, 10, 40, 10, 0);
  HWND label = GetDlgItem(dialog, 3002);
  WindowSetSize(dialog, 3002, 60, 20);
  WindowSetLocation(dialog, 3002, 7, 9);
  // Position and size are converted each on its own.
  RECT at_units{0, 0, 7, 9}, size_units{0, 0, 60, 20};
  MapDialogRect(dialog, &at_units);
  MapDialogRect(dialog, &size_units);
  RECT expected{at_units.right, at_units.bottom, at_units.right + size_units.right,
                at_units.bottom + size_units.bottom};
  RECT placed{};
  GetWindowRect(label, &placed);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_TRUE(EqualRect(&placed, &expected));
  WindowExtent size = WindowGetSize(dialog, 3002);
  EXPECT_EQ(std::pair(size.width, size.height), std::pair(60, 20));
  WindowPoint at = WindowGetLocation(dialog, 3002);
  EXPECT_EQ(std::pair(at.x, at.y), std::pair(7, 9));
  WindowSetClientSize(dialog, kDialogItself, 150, 90);
  WindowExtent client = WindowGetClientSize(dialog, kDialogItself);
  EXPECT_EQ(std::pair(client.width, client.height), std::pair(150, 90));

  // Any pixel position reads as the nearest unit; negative ones round down.
  RECT scale{0, 0, 1024, 1024};
  MapDialogRect(dialog, &scale);
  double per_unit = scale.right / 1024.0;
  for (int px = -30; px <= 30; ++px) {
    SetWindowPos(label, nullptr, px, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    double exact = px / per_unit;
    int units = WindowGetLocation(dialog, 3002).x;
    SCOPED_TRACE(px);
    if (px >= 0)
      EXPECT_LE(std::abs(units - exact), 0.5);
    else
      EXPECT_TRUE(units <= exact && units > exact - 1);
  }
  DestroyWindow(dialog);
}

TEST(WindowGeometry, OwnedDialogIsPlacedOnItsOwnersClientArea) {
  HWND owner = MakeDialog(u"owner", 100, 120, 300, 200, WS_POPUP | WS_CAPTION, 0);
  HWND owned = MakeDialog(u"owned", 0, 0, 100, 60, testing::kToolStyle, 0, 2, owner);
  WindowSetLocation(owned, kDialogItself, 30, 40);
  POINT origin{0, 0};
  ClientToScreen(owner, &origin);
  RECT outer{};
  GetWindowRect(owned, &outer);
  EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(origin.x + 30, origin.y + 40));
  WindowPoint at = WindowGetLocation(owned, kDialogItself);
  EXPECT_EQ(std::pair(at.x, at.y), std::pair(30, 40));
  DestroyWindow(owned);

  HWND owned_units = MakeDialog(u"owned", 0, 0, 100, 60, testing::kToolStyle, 0, 0, owner);
  WindowSetLocation(owned_units, kDialogItself, 12, 14);
  at = WindowGetLocation(owned_units, kDialogItself);
  EXPECT_EQ(std::pair(at.x, at.y), std::pair(12, 14));
  RECT units{0, 0, 12, 14};
  MapDialogRect(owned_units, &units);
  GetWindowRect(owned_units, &outer);
  EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(origin.x + units.right, origin.y + units.bottom));
  DestroyWindow(owned_units);
  DestroyWindow(owner);
}

TEST(DialogShowStateTest, StoredBeforeTheFirstShowAndShownAfter) {
  HWND dialog = MakeDialog(u"state", 0, 0, 100, 60);
  WindowRecord* record = RecordFind(dialog);
  DialogShowState(dialog, 4);
  EXPECT_EQ(record->show_command, SW_SHOW);
  for (int32_t kept : {SW_MAXIMIZE, SW_MINIMIZE, SW_HIDE}) {
    DialogShowState(dialog, kept);
    EXPECT_EQ(record->show_command, kept);
  }
  EXPECT_FALSE(IsWindowVisible(dialog));  // only stored
  DialogShowModeless(dialog, nullptr, nullptr);
  EXPECT_FALSE(IsWindowVisible(dialog));  // shown with the stored SW_HIDE
  DialogShowState(dialog, SW_SHOWNORMAL);
  EXPECT_TRUE(IsWindowVisible(dialog));
  DialogShowState(dialog, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_EQ(record->show_command, SW_HIDE);
  DestroyWindow(dialog);
}

// Commands other than 0, 3 and 6 are stored as 5, whatever was stored before.
TEST(DialogShowStateTest, OtherCommandsAreStoredAsShow) {
  HWND dialog = MakeDialog(u"state", 0, 0, 100, 60);
  WindowRecord* record = RecordFind(dialog);
  for (int32_t other : {1, 2, 4, 7, 9, 11, -1}) {
    DialogShowState(dialog, SW_MAXIMIZE);
    ASSERT_EQ(record->show_command, SW_MAXIMIZE);
    DialogShowState(dialog, other);
    EXPECT_EQ(record->show_command, SW_SHOW) << other;
  }
  DestroyWindow(dialog);
}

// Pixels to units on both axes, each with its own scale: the nearest unit for positive values
// (one at least half a unit past rounds up), the unit below for negative ones.
TEST(WindowGeometry, PixelsToUnitsRoundsEachAxisByItsOwnScale) {
  HWND dialog = MakeDialog(u"scale", 10, 10, 200, 120, 0, 0, 0);
  RECT scale{0, 0, 1024, 1024};
  ASSERT_TRUE(MapDialogRect(dialog, &scale));
  ASSERT_NE(scale.right, scale.bottom);  // the axes must differ for the test to tell them apart
  const double kx = scale.right / 1024.0, ky = scale.bottom / 1024.0;
  auto expected = [](int p, double k) {
    const double exact = p / k;
    return static_cast<int32_t>(p >= 0 ? std::floor(exact + 0.5) : std::floor(exact));
  };
  int rounded_up = 0, negative_down = 0;
  for (int p = -40; p <= 40; ++p) {
    const UnitPair u = PixelsToUnits(dialog, {p, p});
    EXPECT_EQ(u.x, expected(p, kx)) << p;
    EXPECT_EQ(u.y, expected(p, ky)) << p;
    rounded_up += p > 0 && u.x > std::floor(p / kx);
    negative_down += p < 0 && u.y < std::lround(p / ky);
  }
  EXPECT_GT(rounded_up, 0);     // cases where rounding up differs from cutting off
  EXPECT_GT(negative_down, 0);  // and where rounding down differs from the nearest unit
  DestroyWindow(dialog);
}

TEST(UserValues, IndexNineIsIndexOne) {
  HWND dialog = MakeDialog(u"values", 0, 0, 100, 60);
  for (int32_t index = 1; index <= 8; ++index) UserDataSet(dialog, index, index * 11);
  UserDataSet(dialog, 9, 77);
  EXPECT_EQ(UserDataGet(dialog, 1), 77);
  EXPECT_EQ(UserDataGet(dialog, 2), 22);
  EXPECT_EQ(UserDataGet(dialog, 0), 88);  // 0 is the eighth
  EXPECT_EQ(UserDataGet(dialog, -6), 22);  // (-6 - 1) AND 7 is the second
  DestroyWindow(dialog);
  EXPECT_EQ(UserDataGet(dialog, 1), 0);
}

TEST(SettingsFailure, TargetsWithoutRecordOrWindowAreLeftAlone) {
  HWND plain = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 5, 5, 50, 30, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_CHECKBOX, 0, 0, 20, 20, plain,
                               reinterpret_cast<HMENU>(7), nullptr, nullptr);
  HWND gone = MakeDialog(u"gone", 0, 0, 50, 50);
  DestroyWindow(gone);
  int depth = ProcedureFrame::Current().operands().depth();
  int32_t records = RecordCount();
  for (HWND target : {plain, gone, static_cast<HWND>(nullptr)}) {
    ControlSetColor(target, kDialogItself, 0, kBlue);
    ControlSetFont(target, 7, 2);
    WindowSetSize(target, kDialogItself, 10, 10);
    WindowSetClientSize(target, 7, 10, 10);
    WindowSetLocation(target, kDialogItself, 1, 1);
    EXPECT_EQ(WindowGetSize(target, kDialogItself).width, 0);
    EXPECT_EQ(WindowGetClientSize(target, 7).height, 0);
    EXPECT_EQ(WindowGetLocation(target, kDialogItself).x, 0);
    ButtonSetCheck(target, 7, 1);
    EXPECT_EQ(ButtonGetCheck(target, 7), 0);
    WindowEnable(target, kDialogItself, 0);
    ControlKill(target, 7);
    DialogShowState(target, SW_SHOW);
    DialogSetAccelerators(target, {});
    UserDataSet(target, 1, 5);
    EXPECT_EQ(UserDataGet(target, 1), 0);
    PushOwned(DynString::FromUnits(u"TESTICON"));
    DialogSetIcon(target);
    PushOwned(DynString::FromUnits(u"TESTIMAGE"));
    ImageReload(target, 7, 0);
  }
  EXPECT_TRUE(IsWindowEnabled(plain));
  EXPECT_TRUE(IsWindow(child));
  EXPECT_FALSE(IsWindowVisible(plain));
  EXPECT_EQ(SendMessageW(child, BM_GETCHECK, 0, 0), 0);
  RECT outer{};
  GetWindowRect(plain, &outer);
  EXPECT_EQ(outer.right - outer.left, 50);
  EXPECT_EQ(RecordCount(), records);
  EXPECT_EQ(ProcedureFrame::Current().operands().depth(), depth);
  DestroyWindow(plain);
}

}  // namespace
}  // namespace qv
