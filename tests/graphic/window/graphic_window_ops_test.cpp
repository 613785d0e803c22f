#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "display_input.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "draw_target.h"
#include "drawing_test_support.h"
#include "error.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_drawing.h"
#include "surface_keys.h"
#include "surface_lock.h"
#include "surface_test_support.h"
#include "surface_text.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "win32/runtime_thread.h"

namespace qv {
namespace {

using namespace testing;

HWND Open(const std::u16string& title, int32_t width, int32_t height) {
  SurfaceDetach();
  HWND frame = OpenGraphicWindow(title, width, height);
  EXPECT_NE(frame, nullptr);
  EXPECT_NE(DrawTargetGet(), nullptr);
  return frame;
}

// A copy of a field of the window's record, read under SurfaceLock.
template <typename Field>
auto Read(HWND window, Field field) {
  SurfaceLockScope hold;
  WindowRecord* record = RecordFind(window);
  return record ? field(*record) : decltype(field(*record)){};
}

std::u16string PopWide() {
  DynString text = PopText();
  return text.wide();
}

// What the window shows at a client point, 0x00BBGGRR.
COLORREF Shown(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

POINT OnScreen(HWND window, int x, int y) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  return at;
}

std::string MoveTo(POINT at) { return "mousemove --sync " + std::to_string(at.x) + " " + std::to_string(at.y); }

// Without a window manager the display sends keys to the window under the pointer; the
// window gives them to its focused child. The pointer is moved only when it is elsewhere, and
// waited for, so that no late move can come after a test's own clicks.
void FocusAndWait(HWND frame) {
  HWND canvas = CanvasOf(frame);
  SurfaceWindowToFront();
  RECT client{};
  GetClientRect(canvas, &client);
  POINT centre = OnScreen(canvas, client.right / 2, client.bottom / 2);
  auto there = [&] {
    POINT at{};
    return GetCursorPos(&at) && at.x == centre.x && at.y == centre.y;
  };
  if (!there()) {
    ASSERT_TRUE(Xdotool(MoveTo(centre)));
  }
  ASSERT_TRUE(WaitPumping([&] {
    return there() && Read(canvas, [](WindowRecord& r) { return (r.flags & kSurfaceFocused) != 0; });
  }));
}

class GraphicWindowInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { frame_ = Open(u"Input", 320, 200); }
  static void TearDownTestSuite() {
    SurfaceAttach(CanvasOf(frame_), 0, 0);
    SurfaceWindowClose();
  }
  void SetUp() override {
    ASSERT_TRUE(IsWindow(frame_));
    SurfaceAttach(CanvasOf(frame_), 0, 0);
    SurfaceKeyFlush();
    FocusAndWait(frame_);
  }
  static HWND frame_;
};
HWND GraphicWindowInput::frame_ = nullptr;

TEST_F(GraphicWindowInput, KeysAreReadAsCharactersOrScanCodes) {
  Watchdog watchdog(120, "key reading");
  ASSERT_TRUE(Xdotool("key F10"));
  ASSERT_TRUE(WaitPumping([] { return SurfaceKeyPeek() == -1; }));
  SurfaceKeyRead();
  EXPECT_EQ(PopWide(), (std::u16string{u'\0', u'\x44'}));
  EXPECT_EQ(SurfaceKeyPeek(), 0);
  SurfaceKeyRead();
  EXPECT_EQ(PopWide(), u"");

  ASSERT_TRUE(Xdotool("type q"));
  ASSERT_TRUE(WaitPumping([] { return SurfaceKeyPeek() == -1; }));
  SurfaceKeyRead();
  EXPECT_EQ(PopWide(), u"q");
  ASSERT_TRUE(Xdotool("key Tab type r"));  // TAB is not stored
  ASSERT_TRUE(WaitPumping([] { return SurfaceKeyPeek() == -1; }));
  SurfaceKeyFlush();
  EXPECT_EQ(SurfaceKeyPeek(), 0);
}

// Runs SurfaceLineInput on a thread of its own, targeting a canvas.
struct LineReader {
  LineReader(HWND target, std::wstring ask) : canvas(target), prompt(std::move(ask)) {}
  HWND canvas;
  std::wstring prompt;
  std::atomic<bool> done{false};
  std::u16string line;
  HANDLE thread = nullptr;
  static void Run(void* self) {
    auto* reader = static_cast<LineReader*>(self);
    DrawTargetSet(reader->canvas);
    PushWide(reader->prompt);
    SurfaceLineInput();
    reader->line = PopWide();
    reader->done = true;
  }
  // Starts the input and waits until its caret shows after `before` (in the canvas's
  // font, from the canvas's top-left), so that no key comes before the input reads them.
  bool Start(const std::wstring& before) {
    thread = RuntimeThreadStart(Run, this);
    return thread && WaitPumping([&] { return Caret(before); });
  }
  bool Caret(const std::wstring& before) const {
    SIZE extent{};
    int32_t ink = 0;
    {
      SurfaceLockScope hold;
      WindowRecord* record = RecordFind(canvas);
      if (!record) return false;
      GetTextExtentPoint32W(record->memory_dc, before.c_str(), static_cast<int>(before.size()), &extent);
      ink = record->fore_colour;
    }
    return Shown(canvas, extent.cx + 1, 3) == static_cast<COLORREF>(ink);  // on the screen
  }
  bool Ends() {
    bool ended = thread && WaitForSingleObject(thread, kPatienceMs) == WAIT_OBJECT_0;
    if (thread) CloseHandle(thread);
    thread = nullptr;
    return ended;
  }
};

TEST_F(GraphicWindowInput, TypedLineComesBackAsTyped) {
  Watchdog watchdog(120, "line input");
  SurfaceClear(kWhite, 0);
  LineReader reader(CanvasOf(frame_), L"> ");
  ASSERT_TRUE(reader.Start(L"> "));
  ASSERT_TRUE(Xdotool("key --delay 120 h i x BackSpace Escape s o comma 1 space m o r e x BackSpace F5 e Return"));
  ASSERT_TRUE(reader.Ends());
  EXPECT_EQ(reader.line, u"so,1 moree");
  EXPECT_EQ(SurfaceGetCell().row, 2);  // Enter starts a new line
  EXPECT_EQ(SurfaceGetCell().column, 1);
  // The prompt and the line are on the canvas, in the foreground colour.
  testing::Canvas canvas = Snapshot();
  int32_t pitch = Read(CanvasOf(frame_), [](WindowRecord& r) { return r.line_height + r.line_gap; });
  size_t inked = 0;
  for (int32_t y = 0; y < pitch; ++y)
    for (int32_t x = 0; x < 320; ++x) inked += canvas.At(x, y) != kWhite;
  EXPECT_GT(inked, 50u);
}

TEST(GraphicWindowLineInput, CaretBlinksAndClosingTheWindowEndsTheInputWithWhatWasTyped) {
  Watchdog watchdog(120, "line input on a closed window");
  HWND frame = Open(u"Closing", 240, 120);
  SurfaceClear(kWhite, 0);
  FocusAndWait(frame);
  LineReader reader(CanvasOf(frame), L"");
  ASSERT_TRUE(reader.Start(L""));
  ASSERT_TRUE(Xdotool("type --delay 150 ab"));
  // The caret moves on after "ab" and blinks there: on, off, on again.
  EXPECT_TRUE(WaitPumping([&] { return reader.Caret(L"ab"); }));
  EXPECT_TRUE(WaitPumping([&] { return !reader.Caret(L"ab"); }, 3000));
  EXPECT_TRUE(WaitPumping([&] { return reader.Caret(L"ab"); }, 3000));
  EXPECT_FALSE(reader.done);

  SurfaceWindowClose();
  EXPECT_EQ(DrawTargetGet(), nullptr);
  EXPECT_TRUE(reader.Ends());
  EXPECT_TRUE(reader.done);
  EXPECT_EQ(reader.line, u"ab");
  EXPECT_FALSE(IsWindow(frame));
}

TEST_F(GraphicWindowInput, ClickThenDoubleClickIsStateThreeUntilRead) {
  Watchdog watchdog(120, "clicks");
  HWND canvas = CanvasOf(frame_);
  SurfaceScale(0, 0, 160, 100);  // two pixels to the unit
  POINT at = OnScreen(canvas, 100, 60);
  ASSERT_TRUE(Xdotool(MoveTo(at) + " click 1 sleep 1 click --repeat 2 --delay 60 1"));
  ASSERT_TRUE(WaitPumping([&] { return Read(canvas, [](WindowRecord& r) { return r.click_state; }) == 3u; }));
  ClickReading first = SurfaceClickRead(nullptr);
  EXPECT_EQ(first.state, 1);
  EXPECT_FLOAT_EQ(first.x, 50);
  EXPECT_FLOAT_EQ(first.y, 30);
  EXPECT_EQ(SurfaceClickRead(frame_).state, 2);  // the frame names its canvas as well
  EXPECT_EQ(SurfaceClickRead(canvas).state, 0);
  SurfaceScale(0, 0, 320, 200);
}

// The frame's messages are handled on its own thread whoever calls; what the caller must not
// do is hold SurfaceLock meanwhile, or a handler that needs it would wait for the caller.
TEST_F(GraphicWindowInput, FrameOperationsFromAnotherThreadReachTheWindowThreadWithTheLockFree) {
  static DWORD window_thread = GetWindowThreadProcessId(frame_, nullptr);
  static std::atomic<int> seen{0}, under_lock{0};
  HOOKPROC watch = [](int code, WPARAM wparam, LPARAM lparam) -> LRESULT {
    auto* message = reinterpret_cast<CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->hwnd == frame_ &&
        (message->message == WM_SETTEXT || message->message == WM_WINDOWPOSCHANGED)) {
      ++seen;
      if (SurfaceLock().try_lock())
        SurfaceLock().unlock();
      else
        ++under_lock;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  };
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watch, nullptr, window_thread);
  ASSERT_NE(hook, nullptr);
  ASSERT_NE(GetCurrentThreadId(), window_thread);

  PushWide(L"Renamed");
  SurfaceWindowSetCaption();
  SurfaceWindowGetCaption();
  EXPECT_EQ(PopWide(), u"Renamed");
  SurfaceWindowSetPlace(70, 80, 400, 300);
  WindowPlace place = SurfaceWindowGetPlace();
  EXPECT_EQ(place.x, 70);
  EXPECT_EQ(place.y, 80);
  EXPECT_EQ(place.width, 400);
  EXPECT_EQ(place.height, 300);
  RECT client{};
  GetClientRect(frame_, &client);
  EXPECT_TRUE(WaitPumping([&] { return Read(CanvasOf(frame_), [](WindowRecord& r) { return r.canvas_width; }) == client.right; }));
  SurfaceWindowSetClientSize(320, 200);
  GetClientRect(frame_, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_EQ(Read(CanvasOf(frame_), [](WindowRecord& r) { return r.canvas_height; }), 200);
  UnhookWindowsHookEx(hook);
  EXPECT_GE(seen.load(), 3);
  EXPECT_EQ(under_lock.load(), 0);

  SurfaceWindowShow(0);
  EXPECT_FALSE(IsWindowVisible(frame_));
  SurfaceWindowShow(1);
  EXPECT_TRUE(IsWindowVisible(frame_));
  SurfaceWindowDisableClose();
  EXPECT_NE(GetMenuState(GetSystemMenu(frame_, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST(GraphicWindowViews, StretchedViewShowsTheCanvasScaledToTheWindow) {
  Watchdog watchdog(120, "stretched view");
  HWND frame = Open(u"Stretched", 100, 80);
  HWND canvas = CanvasOf(frame);
  SurfaceBox(0, 0, 50, 80, 0, kRed, kRed, 0);
  SurfaceBox(50, 0, 100, 80, 0, kBlue, kBlue, 0);
  SurfaceStretchView(1);
  SurfaceWindowSetClientSize(200, 160);
  EXPECT_EQ(Read(canvas, [](WindowRecord& r) { return r.canvas_width; }), 100);  // the canvas keeps its size
  EXPECT_TRUE(WaitPumping([&] { return Shown(canvas, 190, 150) == static_cast<COLORREF>(kBlue); }));
  EXPECT_EQ(Shown(canvas, 90, 150), static_cast<COLORREF>(kRed));
  EXPECT_EQ(Shown(canvas, 110, 10), static_cast<COLORREF>(kBlue));
  // Drawing into the canvas shows stretched as well.
  SurfaceBox(0, 0, 100, 40, 0, kGreen, kGreen, 0);
  EXPECT_TRUE(WaitPumping([&] { return Shown(canvas, 190, 70) == static_cast<COLORREF>(kGreen); }));
  EXPECT_EQ(Shown(canvas, 190, 90), static_cast<COLORREF>(kBlue));
  // A click on the stretched view is read in the canvas's units: half the window's pixels.
  SendMessageW(canvas, WM_LBUTTONDOWN, 0, MAKELPARAM(150, 40));
  ClickReading click = SurfaceClickRead(nullptr);
  EXPECT_EQ(click.state, 1);
  EXPECT_FLOAT_EQ(click.x, 75);
  EXPECT_FLOAT_EQ(click.y, 20);
  // Switched off, the canvas takes the view's size: the window shows nothing from beyond it.
  SurfaceStretchView(0);
  EXPECT_EQ(Read(canvas, [](WindowRecord& r) { return r.canvas_width; }), 200);
  EXPECT_EQ(Read(canvas, [](WindowRecord& r) { return r.canvas_height; }), 160);
  Canvas after = Snapshot();
  EXPECT_EQ(after.At(50, 20), kGreen);  // the old picture at the top-left, unstretched
  EXPECT_EQ(after.At(150, 120), Read(canvas, [](WindowRecord& r) { return r.back_colour; }));
  EXPECT_TRUE(WaitPumping([&] { return Shown(canvas, 150, 120) == static_cast<COLORREF>(after.At(150, 120)); }));
  SurfaceWindowClose();
  EXPECT_TRUE(WaitPumping([&] { return !IsWindow(frame); }));
}

TEST(GraphicWindowViews, ScrolledViewShowsThePartAtTheViewPositionAndScrollsByItsBarsAndKeys) {
  Watchdog watchdog(120, "scrolled view");
  HWND frame = Open(u"Scrolled", 200, 150);
  HWND canvas = CanvasOf(frame);
  SurfaceBox(0, 0, 200, 150, 0, kRed, kRed, 0);  // the old picture stays at the top-left
  SurfaceScrollView(600, 400);
  SurfaceBox(300, 200, 340, 240, 0, kGreen, kGreen, 0);
  auto view = [&] { return Read(canvas, [](WindowRecord& r) { return POINT{r.view_x, r.view_y}; }); };
  auto field = [&](auto f) { return Read(canvas, f); };
  EXPECT_EQ(field([](WindowRecord& r) { return r.canvas_width; }), 600);
  HWND across = field([](WindowRecord& r) { return r.auxiliary[0]; });
  HWND down = field([](WindowRecord& r) { return r.auxiliary[1]; });
  ASSERT_TRUE(IsWindowVisible(across));
  ASSERT_TRUE(IsWindowVisible(down));
  ASSERT_TRUE(IsWindow(field([](WindowRecord& r) { return r.auxiliary[2]; })));
  int32_t view_width = field([](WindowRecord& r) { return r.view_width; });
  int32_t view_height = field([](WindowRecord& r) { return r.view_height; });
  EXPECT_EQ(view_width, 200 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_TRUE(WaitPumping([&] { return Shown(canvas, 10, 10) == static_cast<COLORREF>(kRed); }));

  SurfaceViewPosition(280, 180);
  EXPECT_EQ(view().x, 280);
  EXPECT_EQ(view().y, 180);
  EXPECT_EQ(GetScrollPos(across, SB_CTL), 280);
  EXPECT_EQ(GetScrollPos(down, SB_CTL), 180);
  EXPECT_TRUE(WaitPumping([&] { return Shown(canvas, 30, 30) == static_cast<COLORREF>(kGreen); }));
  EXPECT_EQ(Shown(canvas, 70, 70), static_cast<COLORREF>(Snapshot().At(350, 250)));  // new canvas: background
  SurfaceViewPosition(10000, -5);  // kept inside the canvas
  EXPECT_EQ(view().x, 600 - view_width);
  EXPECT_EQ(view().y, 0);

  // The vertical bar's lower arrow, clicked on the display, moves the view down.
  SurfaceViewPosition(0, 0);
  RECT bar{};
  GetWindowRect(down, &bar);
  ASSERT_TRUE(Xdotool(MoveTo({(bar.left + bar.right) / 2, bar.bottom - 4}) + " click 1"));
  EXPECT_TRUE(WaitPumping([&] { return view().y > 0; }));
  GetWindowRect(across, &bar);  // and the horizontal bar's right arrow to the right
  ASSERT_TRUE(Xdotool(MoveTo({bar.right - 4, (bar.top + bar.bottom) / 2}) + " click 1"));
  EXPECT_TRUE(WaitPumping([&] { return view().x == field([](WindowRecord& r) { return r.char_width; }); }));
  // Page Down typed into the focused canvas scrolls by a page; End to the bottom.
  FocusAndWait(frame);
  int32_t before = view().y;
  ASSERT_TRUE(Xdotool("key Next"));
  EXPECT_TRUE(WaitPumping([&] { return view().y == std::min(before + view_height, 400 - view_height); }));
  ASSERT_TRUE(Xdotool("key End"));
  EXPECT_TRUE(WaitPumping([&] { return view().y == 400 - view_height; }));
  EXPECT_EQ(GetScrollPos(down, SB_CTL), 400 - view_height);

  // A new client size lays the bars out again and keeps the view inside the canvas.
  SurfaceWindowSetClientSize(260, 300);
  EXPECT_EQ(field([](WindowRecord& r) { return r.view_height; }), 300 - GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(view().y, 400 - field([](WindowRecord& r) { return r.view_height; }));
  EXPECT_EQ(field([](WindowRecord& r) { return r.canvas_width; }), 600);
  RECT moved{};
  GetWindowRect(down, &moved);
  MapWindowPoints(nullptr, canvas, reinterpret_cast<POINT*>(&moved), 2);
  EXPECT_EQ(moved.left, 260 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(moved.bottom, 300 - GetSystemMetrics(SM_CYHSCROLL));
  SurfaceWindowClose();
  EXPECT_TRUE(WaitPumping([&] { return !IsWindow(frame); }));
}

// A frame sized to no client area keeps a canvas in the window's colours: the platform's
// bitmap of no size is monochrome, and every later canvas would copy it.
TEST(GraphicWindowViews, AFrameOfNoClientSizeKeepsItsColours) {
  Watchdog watchdog(120, "no client size");
  HWND frame = Open(u"Empty", 100, 80);
  HWND canvas = CanvasOf(frame);
  RECT outer{}, client{};
  GetWindowRect(frame, &outer);
  GetClientRect(frame, &client);
  int frame_x = (outer.right - outer.left) - client.right, frame_y = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(frame, nullptr, 0, 0, frame_x + 100, frame_y, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(frame, &client);
  EXPECT_EQ(client.bottom, 0);
  SetWindowPos(frame, nullptr, 0, 0, frame_x, frame_y + 80, SWP_NOMOVE | SWP_NOZORDER);
  SurfaceWindowSetClientSize(120, 90);
  EXPECT_EQ(Read(canvas, [](WindowRecord& r) { return r.canvas_width; }), 120);
  SurfaceBox(10, 10, 50, 50, 0, kRed, kBlue, 0);
  Canvas c = Snapshot();
  EXPECT_EQ(c.At(30, 30), kBlue);
  EXPECT_EQ(c.At(10, 30), kRed);
  SurfaceWindowClose();
  EXPECT_TRUE(WaitPumping([&] { return !IsWindow(frame); }));
}

// A scrolled window given its size again (restored from its icon) lays out its bars again,
// though no WM_SIZE reaches the canvas.
TEST(GraphicWindowViews, AScrolledViewSizedAgainKeepsItsBars) {
  Watchdog watchdog(120, "scrolled resize");
  HWND frame = Open(u"Again", 200, 150);
  HWND canvas = CanvasOf(frame);
  SurfaceScrollView(600, 400);
  auto view_width = [&] { return Read(canvas, [](WindowRecord& r) { return r.view_width; }); };
  ASSERT_EQ(view_width(), 200 - GetSystemMetrics(SM_CXVSCROLL));
  SendMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 150));
  EXPECT_EQ(view_width(), 200 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(Read(canvas, [](WindowRecord& r) { return r.view_height; }), 150 - GetSystemMetrics(SM_CYHSCROLL));
  ShowWindow(frame, SW_MINIMIZE);
  ShowWindow(frame, SW_RESTORE);
  EXPECT_TRUE(WaitPumping([&] { return IsWindowVisible(frame) && !IsIconic(frame); }));
  EXPECT_EQ(view_width(), 200 - GetSystemMetrics(SM_CXVSCROLL));
  SurfaceViewPosition(10000, 0);  // the last bar-width of the canvas can be scrolled into view
  EXPECT_EQ(Read(canvas, [](WindowRecord& r) { return r.view_x; }), 600 - view_width());
  SurfaceWindowClose();
  EXPECT_TRUE(WaitPumping([&] { return !IsWindow(frame); }));
}

// A dialog's graphic control scrolls the same way, on the dialog's thread.
TEST(GraphicControlView, ScrolledControlFollowsThePositionItsBarAndKeys) {
  Watchdog watchdog(120, "scrolled control");
  SurfaceDetach();
  HWND control = nullptr;
  HWND dialog = MakeSurfaceDialog(control);
  int32_t result = 0;
  DialogShowModeless(dialog, nullptr, &result);
  SurfaceAttach(dialog, kControlId, 0);
  SurfaceScrollView(2000, 1500);
  auto field = [&](auto f) { return Read(control, f); };
  ASSERT_TRUE(IsWindowVisible(field([](WindowRecord& r) { return r.auxiliary[1]; })));
  int32_t view_height = field([](WindowRecord& r) { return r.view_height; });
  EXPECT_EQ(view_height, kCanvasHeight - GetSystemMetrics(SM_CYHSCROLL));
  SurfaceBox(750, 450, 850, 550, 0, kGreen, kGreen, 0);
  SurfaceViewPosition(700, 400);
  EXPECT_EQ(field([](WindowRecord& r) { return r.view_x; }), 700);
  EXPECT_TRUE(WaitPumping([&] { return Shown(control, 100, 100) == static_cast<COLORREF>(kGreen); }));
  int32_t pitch = field([](WindowRecord& r) { return r.line_height + r.line_gap; });
  // The lower arrow of the control's vertical bar, clicked on the display, moves the view a
  // line; Page Down typed with the pointer over the dialog (keys go to the focused control) a page.
  HWND down = field([](WindowRecord& r) { return r.auxiliary[1]; });
  RECT bar{};
  GetWindowRect(down, &bar);
  ASSERT_TRUE(Xdotool(MoveTo({(bar.left + bar.right) / 2, bar.bottom - 4}) + " click 1"));
  EXPECT_TRUE(WaitPumping([&] { return field([](WindowRecord& r) { return r.view_y; }) == 400 + pitch; }));
  SetFocus(control);
  ASSERT_TRUE(Xdotool(MoveTo(OnScreen(control, 300, 300)) + " key Next"));
  EXPECT_TRUE(WaitPumping([&] { return field([](WindowRecord& r) { return r.view_y; }) == 1500 - view_height; }));  // a page, up to the bottom
  SurfaceViewPosition(0, 100000);
  EXPECT_EQ(field([](WindowRecord& r) { return r.view_y; }), 1500 - view_height);

  // A line typed into the control of this very thread: the input runs the thread's messages.
  ASSERT_TRUE(Xdotool("sleep 0.3 key --delay 100 o k Return"));
  PushWide(L"");
  SurfaceLineInput();
  EXPECT_EQ(PopWide(), u"ok");
  SurfaceDetach();
  DestroyWindow(dialog);
}

TEST(GraphicWindowFrame, CloseEndsABlockedWindowAndToFrontActivates) {
  Watchdog watchdog(120, "close and front");
  HWND first = Open(u"First", 120, 80);
  HANDLE first_target = DrawTargetGet();
  HWND second = Open(u"Second", 120, 80);
  EXPECT_TRUE(WaitPumping([&] { return GetForegroundWindow() == second; }));
  SurfaceAttach(first, 0, 0);
  SurfaceWindowToFront();
  EXPECT_TRUE(WaitPumping([&] { return GetForegroundWindow() == first; }));
  EXPECT_EQ(DrawTargetGet(), first_target);

  // The close command of a blocked frame is ignored; SurfaceWindowClose closes it all the same.
  {
    SurfaceLockScope hold;
    RecordFind(first)->close_block |= kCloseBlocked;
  }
  SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindow(first));
  DWORD thread_id = GetWindowThreadProcessId(first, nullptr);
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, thread_id);
  SurfaceWindowClose();
  EXPECT_EQ(DrawTargetGet(), nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, kPatienceMs), WAIT_OBJECT_0);  // and the window's thread ends
  CloseHandle(thread);
  EXPECT_FALSE(IsWindow(first));
  // Without a graphic window the frame operations do nothing.
  SurfaceWindowGetCaption();
  EXPECT_EQ(PopWide(), u"");
  EXPECT_EQ(SurfaceWindowGetPlace().width, 0);
  SurfaceWindowClose();
  EXPECT_TRUE(IsWindow(second));
  // A disabled frame (opened with WS_DISABLED, found by the script fuzzer) closes as well:
  // the platform ignores a disabled window's close command.
  SurfaceAttach(second, 0, 0);
  EnableWindow(second, FALSE);
  SurfaceWindowClose();
  EXPECT_TRUE(WaitPumping([&] { return !IsWindow(second); }));
}

}  // namespace
}  // namespace qv
