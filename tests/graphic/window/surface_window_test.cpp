#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "control_add.h"
#include "dialog_settings.h"
#include "draw_target.h"
#include "error.h"
#include "string_ops.h"
#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "surface_drawing.h"
#include "surface_lock.h"
#include "surface_pixels.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "thread_record.h"
#include "window_test_support.h"

namespace qv {
namespace {

using namespace testing;

constexpr int32_t kPale = 0x00CDFAFF;
constexpr uint32_t kPalePixel = 0x00FFFACD;
constexpr uint32_t kRed = 0x00FF0000;

uint32_t SystemFacePixel() {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  return ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

SIZE CanvasSize(HWND canvas) {
  SIZE size{-1, -1};
  WithRecord(canvas, [&](WindowRecord& r) { size = {r.canvas_width, r.canvas_height}; });
  return size;
}

uint32_t CanvasPixel(int32_t x, int32_t y) {
  SurfaceReadPixels();
  DynString pixels = PopText();
  int32_t width = 0;
  if (pixels.bytes() < kPixelHeaderBytes) return 0xFFFFFFFF;
  std::memcpy(&width, pixels.data(), 4);
  uint32_t value = 0;
  std::memcpy(&value, pixels.data() + kPixelHeaderBytes + 4 * (static_cast<size_t>(y) * width + x), 4);
  return value & 0x00FFFFFF;
}

class GraphicWindow : public ::testing::Test {
 protected:
  // Every window of a test becomes the test thread's target when it opens.
  void SetUp() override {
    SurfaceDetach();
    ErrorClear();
  }
  void TearDown() override { SurfaceDetach(); }

  // Closes as the program's own close does (system close command) and waits for the thread.
  static void Close(HWND frame) {
    HANDLE thread = WindowThread(frame);
    SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(ThreadEnds(thread));
    CloseHandle(thread);
  }
};

TEST_F(GraphicWindow, OpensAsAskedAndShowsWhatAnotherThreadDraws) {
  HWND frame = OpenGraphicWindow(u"Scope one", 640, 480);
  ASSERT_NE(frame, nullptr);
  HWND canvas = CanvasOf(frame);
  ASSERT_NE(canvas, nullptr);
  EXPECT_NE(GetWindowThreadProcessId(frame, nullptr), GetCurrentThreadId());
  EXPECT_EQ(ClientSize(frame).cx, 640);
  EXPECT_EQ(ClientSize(frame).cy, 480);
  EXPECT_EQ(ClientSize(canvas).cx, 640);
  wchar_t title[32] = {};
  GetWindowTextW(frame, title, 32);
  EXPECT_STREQ(title, L"Scope one");
  auto style = static_cast<uint32_t>(GetWindowLongW(frame, GWL_STYLE));
  EXPECT_EQ(style & (kGraphicWindowDefaultStyle | WS_CAPTION), kGraphicWindowDefaultStyle | WS_CAPTION);
  EXPECT_TRUE(IsWindowVisible(frame));
  EXPECT_EQ(DrawTargetGet(), canvas);  // the opener had no target

  EXPECT_TRUE(WithRecord(frame, [](WindowRecord& r) {
    EXPECT_EQ(r.kind, 0);
    EXPECT_EQ(r.flags, kGraphicFrameFlags);
    EXPECT_EQ(r.show_command, SW_SHOW);
    EXPECT_EQ(r.canvas_width, 640);
  }));
  EXPECT_TRUE(WithRecord(canvas, [](WindowRecord& r) {
    EXPECT_EQ(r.kind, kKindGraphic);
    EXPECT_EQ(r.flags & ~(kSurfaceFocused | kDirtyPending | kForceRefresh), kCanvasChildFlags);
    EXPECT_EQ(r.canvas_height, 480);
    EXPECT_EQ(r.font_number, 1);
  }));

  uint8_t drawer_error = 0xFF;
  TestThread drawer([&] {
    SurfaceAttach(frame, 0, 0);
    drawer_error = ErrorNumber();
    SurfaceClear(kPale, 0);
    DynString pixels = FilledPixels(640, 480, kPalePixel);
    for (int y = 50; y < 80; ++y)
      for (int x = 100; x < 140; ++x) SetPixel(pixels, x, y, kRed);
    WritePixels(pixels);
  });
  EXPECT_TRUE(drawer.join());
  EXPECT_EQ(drawer_error, 0);
  // The write is batched: the window's own loop shows it.
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(canvas, 110, 60) == kRed; }));
  EXPECT_EQ(ScreenPixel(canvas, 139, 79), kRed);
  EXPECT_EQ(ScreenPixel(canvas, 140, 80), kPalePixel);
  EXPECT_EQ(ScreenPixel(canvas, 5, 5), kPalePixel);
  EXPECT_EQ(ScreenPixel(canvas, 639, 479), kPalePixel);
  Close(frame);
}

TEST_F(GraphicWindow, EmptyTitleHasNoCaptionAndAnUnknownFontIsFontOne) {
  HWND frame = OpenGraphicWindow(u"", 200, 100, 0, 99);
  ASSERT_NE(frame, nullptr);
  // The default style has WS_BORDER, one of the two bits of WS_CAPTION.
  EXPECT_NE(static_cast<uint32_t>(GetWindowLongW(frame, GWL_STYLE)) & WS_CAPTION, static_cast<uint32_t>(WS_CAPTION));
  EXPECT_EQ(ClientSize(frame).cx, 200);
  int32_t font = 0;
  WithRecord(CanvasOf(frame), [&](WindowRecord& r) { font = r.font_number; });
  EXPECT_EQ(font, 1);
  Close(frame);
}

TEST_F(GraphicWindow, SizeInCharacterCellsCountsColumnsByTheHeightArgument) {
  HWND frame = OpenGraphicWindow(u"Cells", 25, 80, 0, 3, kWindowSizeInCells);
  ASSERT_NE(frame, nullptr);
  int32_t char_width = 0, pitch = 0;
  WithRecord(CanvasOf(frame), [&](WindowRecord& r) {
    char_width = r.char_width;
    pitch = r.line_height + r.line_gap;
  });
  ASSERT_GT(char_width, 0);
  EXPECT_EQ(ClientSize(frame).cx, 80 * char_width);
  EXPECT_EQ(ClientSize(frame).cy, 25 * pitch);
  Close(frame);
}

// Sizes no canvas can have, in pixels or in cells (whose product passes 32 bits). The platform
// may make such a window of no size, or of a size no bitmap can have; either it is not opened,
// or it has a canvas its drawing operations can cover: a far polygon of 1024 points on it ends
// at once (it once went over two billion rows of a canvas that had no bitmap).
TEST_F(GraphicWindow, AWindowNoCanvasCanHoldIsRefusedOrDrawnOnAtOnce) {
  const int32_t records = RecordCount();
  struct Case {
    int32_t y, width, height;  // a top of INT32_MIN leaves the platform the whole 32-bit height
    uint32_t options;
  } cases[] = {{INT32_MIN, INT32_MAX, INT32_MAX, kWindowSizeInCells}, {INT32_MIN, -6, INT32_MAX - 12, 0},
               {40, INT32_MAX, 300, 0}};
  std::string block(4 + 1024 * 8, '\0');
  const uint32_t count = 1024;
  std::memcpy(block.data(), &count, 4);
  for (uint32_t i = 0; i < 2 * count; ++i) {
    const float v = (i % 3 == 0 ? -2e9f : 2e9f) * static_cast<float>(i % 7 + 1) / 7;
    std::memcpy(block.data() + 4 + 4 * i, &v, 4);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " at " + std::to_string(c.y) +
                 ", options " + std::to_string(c.options));
    PushOwned(DynString::FromUnits(u"Huge"));
    HWND frame = SurfaceWindowOpenThreaded(242, c.y, c.width, c.height, 2, INT32_MAX, c.options);
    if (frame) {
      Watchdog dog(20, "drawing on a window of no canvas size");
      PushOwned(DynString::FromBytes(block));
      SurfacePolygon(0x000080, 0x80C0E0, 0, 0);
      SurfaceBox(-2e9f, 10, 2e9f, 2e9f, static_cast<int32_t>(0x80000000), 0x000080, -2, 0);
      Close(frame);
    }
    SurfaceDetach();
    EXPECT_TRUE(WaitUntil([&] { return RecordCount() == records; }, kPatienceMs));
  }
}

TEST_F(GraphicWindow, MinimisingKeepsTheCanvasAndRestoringToAnotherSizeKeepsThePicture) {
  HWND frame = OpenGraphicWindow(u"Minimise", 300, 200);
  ASSERT_NE(frame, nullptr);
  HWND canvas = CanvasOf(frame);
  DynString pixels = FilledPixels(300, 200, kPalePixel);
  SetPixel(pixels, 5, 5, kRed);
  WritePixels(pixels);

  ShowWindow(frame, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(frame));
  EXPECT_EQ(CanvasSize(canvas).cx, 300);
  EXPECT_EQ(CanvasSize(canvas).cy, 200);
  EXPECT_EQ(CanvasPixel(5, 5), kRed);

  // Restored to a larger size than it had.
  WINDOWPLACEMENT place{};
  place.length = sizeof place;
  GetWindowPlacement(frame, &place);
  place.rcNormalPosition.right += 100;
  place.rcNormalPosition.bottom += 60;
  place.showCmd = SW_SHOWMINIMIZED;
  SetWindowPlacement(frame, &place);
  ShowWindow(frame, SW_RESTORE);
  ASSERT_FALSE(IsIconic(frame));
  EXPECT_EQ(ClientSize(frame).cx, 400);
  EXPECT_EQ(ClientSize(frame).cy, 260);
  EXPECT_EQ(CanvasSize(canvas).cx, 400);
  EXPECT_EQ(CanvasSize(canvas).cy, 260);
  EXPECT_EQ(ClientSize(canvas).cx, 400);
  EXPECT_EQ(CanvasPixel(5, 5), kRed);
  EXPECT_EQ(CanvasPixel(299, 199), kPalePixel);
  EXPECT_EQ(CanvasPixel(300, 0), SystemFacePixel());
  EXPECT_EQ(CanvasPixel(399, 259), SystemFacePixel());
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(canvas, 5, 5) == kRed && ScreenPixel(canvas, 350, 230) == SystemFacePixel(); }));
  Close(frame);
}

TEST_F(GraphicWindow, ClickThenDoubleClickLeavesClickStateThree) {
  HWND frame = OpenGraphicWindow(u"Clicks", 200, 150);
  ASSERT_NE(frame, nullptr);
  HWND canvas = CanvasOf(frame);
  PostMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
  PostMessageW(canvas, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
  PostMessageW(canvas, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(11, 21));
  uint32_t state = 0, x = 0, y = 0, focused = 0;
  EXPECT_TRUE(WaitUntil([&] {
    WithRecord(canvas, [&](WindowRecord& r) {
      state = r.click_state;
      x = r.click_x;
      y = r.click_y;
      focused = r.flags & kSurfaceFocused;
    });
    return state == 3;
  }));
  EXPECT_EQ(x, 11u);
  EXPECT_EQ(y, 21u);
  EXPECT_NE(focused, 0u);
  // A single click starts over.
  PostMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
  EXPECT_TRUE(WaitUntil([&] {
    WithRecord(canvas, [&](WindowRecord& r) { state = r.click_state; });
    return state == 1;
  }));
  Close(frame);
}

TEST_F(GraphicWindow, PrivateMessagesRunOnTheWindowThread) {
  HWND frame = OpenGraphicWindow(u"Private", 200, 150);
  ASSERT_NE(frame, nullptr);
  HWND canvas = CanvasOf(frame);
  bool held_after = true, free_after = false;
  TestThread drawer([&] {
    SurfaceAttach(frame, 0, 0);
    if (WindowRecord* r = SurfaceAcquire()) SurfaceWindowSend(*r, kCanvasClientSize, 260, 180);
    if (WindowRecord* r = SurfaceAcquire()) SurfaceWindowSend(*r, kCanvasStretchView, 1, 0);
    // The sender gave the lock up to the window's thread and did not take it back.
    held_after = SurfaceLock().held_by_caller();
    free_after = SurfaceLock().try_lock();
    if (free_after) SurfaceLock().unlock();
  });
  EXPECT_TRUE(drawer.join());
  EXPECT_FALSE(held_after);
  EXPECT_TRUE(free_after);
  EXPECT_EQ(ClientSize(frame).cx, 260);
  EXPECT_EQ(ClientSize(frame).cy, 180);
  EXPECT_EQ(CanvasSize(canvas).cx, 260);
  uint32_t flags = 0;
  WithRecord(canvas, [&](WindowRecord& r) { flags = r.flags; });
  EXPECT_NE(flags & kStretchView, 0u);
  Close(frame);
}

// Fault: a refresh from a drawing thread held SurfaceLock while it waited for the window's
// thread, and that thread's WM_SIZE waited for the lock.
TEST_F(GraphicWindow, ARefreshNeverWaitsForAWindowThreadThatWaitsForTheLock) {
  HWND frame = OpenGraphicWindow(u"Resize wait", 320, 240);
  ASSERT_NE(frame, nullptr);
  HWND canvas = CanvasOf(frame);
  HeldTarget record;
  ASSERT_NE(record.get(), nullptr);
  SetWindowPos(frame, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_ASYNCWINDOWPOS);
  // The window thread's WM_SIZE waits for the lock.
  ASSERT_TRUE(WaitUntil([] { return SurfaceLock().window_waiters() > 0; }));
  {
    Watchdog dog(60, "a refresh while the window thread waits in WM_SIZE");
    record->flags |= kForceRefresh;
    SurfaceMarkDirty(*record.get(), 0, 0, 10, 10);
  }
  EXPECT_TRUE(WaitUntil([&] { return CanvasSize(canvas).cx == ClientSize(frame).cx && ClientSize(frame).cx > 320; }));
  Close(frame);
}

TEST_F(GraphicWindow, AMarkAfterABusyIdleTryRefreshesAtOnce) {
  HWND frame = OpenGraphicWindow(u"Busy", 200, 150);
  ASSERT_NE(frame, nullptr);
  HWND canvas = CanvasOf(frame);
  HeldTarget record;
  ASSERT_NE(record.get(), nullptr);
  PostMessageW(canvas, WM_NULL, 0, 0);  // a loop turn while the lock is taken
  ASSERT_TRUE(WaitUntil([&] { return (record->idle_signals.load() & kIdleForceRequested) != 0; }));
  SurfaceMarkDirty(*record.get(), 0, 0, 5, 5);
  uint32_t batch = 99;
  WithRecord(canvas, [&](WindowRecord& r) { batch = r.batch_count; });
  EXPECT_EQ(batch, 0u);  // only a mark that refreshed resets the batch
  Close(frame);
}

// Fault: a window's teardown freed the canvas record while a drawing thread still used it.
std::atomic<HWND> destroying_frame{nullptr};
std::atomic<bool> frame_destroy_seen{false}, lock_taken_for_teardown{false};

// Runs on the window thread: holds its WM_DESTROY until the test thread holds SurfaceLock, so
// the teardown that follows meets a drawing operation in progress.
LRESULT CALLBACK HoldDestroy(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && call->message == WM_DESTROY && call->hwnd == destroying_frame.load()) {
    frame_destroy_seen = true;
    WaitUntil([] { return lock_taken_for_teardown.load(); });
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(GraphicWindow, AClosingWindowKeepsItsRecordUntilTheDrawingOperationEnds) {
  HWND frame = OpenGraphicWindow(u"Closing", 200, 150);
  ASSERT_NE(frame, nullptr);
  HANDLE thread = WindowThread(frame);
  int32_t records = RecordCount();
  destroying_frame = frame;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, HoldDestroy, nullptr, GetWindowThreadProcessId(frame, nullptr));
  ASSERT_NE(hook, nullptr);
  PostMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(WaitUntil([] { return frame_destroy_seen.load(); }));
  {
    HeldTarget record;
    lock_taken_for_teardown = true;
    ASSERT_NE(record.get(), nullptr);
    // The teardown now waits for this operation instead of freeing what it uses.
    ASSERT_TRUE(WaitUntil([] { return SurfaceLock().window_waiters() > 0; }));
    EXPECT_EQ(RecordCount(), records);
    EXPECT_EQ(GetObjectType(record->memory_dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_TRUE(PatBlt(record->memory_dc, 0, 0, 10, 10, BLACKNESS));
    SurfaceMarkDirty(*record.get(), 0, 0, 10, 10);
  }
  EXPECT_TRUE(ThreadEnds(thread));
  UnhookWindowsHookEx(hook);
  CloseHandle(thread);
  EXPECT_EQ(RecordCount(), records - 2);
  EXPECT_EQ(SurfaceAcquire(), nullptr);  // the target is simply not found
  EXPECT_EQ(ErrorNumber(), 0);
}

// Wine takes two seconds to close a window when no window manager runs (it waits for one to
// withdraw the window), so the hundred cycles run on twenty threads at once, which also opens
// and closes windows concurrently.
TEST_F(GraphicWindow, AHundredOpenCloseCyclesLeaveTheCountsWhereTheyWere) {
  constexpr int kOpeners = 20, kCyclesEach = 5;
  Close(OpenGraphicWindow(u"Warm", 160, 120));  // first-use fonts and class
  int32_t records = RecordCount();
  int32_t thread_records = ThreadRecordCount();
  DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::atomic<int> cycles{0};
  {
    Watchdog dog(150, "a hundred open/close cycles");
    std::vector<std::unique_ptr<TestThread>> openers;
    for (int t = 0; t < kOpeners; ++t)
      openers.push_back(std::make_unique<TestThread>([&] {
        for (int i = 0; i < kCyclesEach; ++i) {
          HWND frame = OpenGraphicWindow(u"Cycle", 160, 120);
          if (!frame) return;
          HANDLE thread = WindowThread(frame);
          SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
          if (ThreadEnds(thread)) ++cycles;
          CloseHandle(thread);
        }
      }));
    for (auto& opener : openers) EXPECT_TRUE(opener->join());
  }
  EXPECT_EQ(cycles, kOpeners * kCyclesEach);
  EXPECT_EQ(RecordCount(), records);
  EXPECT_EQ(ThreadRecordCount(), thread_records);
  // Wine reports no GDI count (0); Windows does.
  if (gdi) {
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  }
}

// A control a program put on a graphic window's frame has no engine dialog around it: a kill
// from another thread reaches it all the same, once the control's thread runs its messages.
TEST_F(GraphicWindow, AControlOnTheFrameGoesWhenAnotherThreadKillsIt) {
  HWND frame = OpenGraphicWindow(u"Frame control", 200, 150);
  ASSERT_NE(frame, nullptr);
  PushOwned(DynString::FromUnits(u""));
  PushOwned(DynString::FromUnits(u"go"));
  ControlAdd(1, frame, 77, nullptr, 5, 5, 60, 24, 0, 0, nullptr);
  HWND button = GetDlgItem(frame, 77);
  ASSERT_NE(button, nullptr);
  std::atomic<bool> done{false};
  TestThread killer([&] {
    ControlKill(frame, 77);
    done = true;
  });
  DWORD start = GetTickCount();
  MSG message;
  while ((!done || IsWindow(button)) && GetTickCount() - start < 5000) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
  EXPECT_TRUE(killer.join());
  EXPECT_FALSE(IsWindow(button));
  EXPECT_EQ(RecordFind(button), nullptr);
  Close(frame);
}

// Program code may run under a hold of its own thread (a message that a window call of a surface
// operation sent) and target a graphic window of another thread: the work that thread must do,
// which takes the lock, waits for the outermost release instead of for the holder.
TEST_F(GraphicWindow, WorkForAnotherThreadsWindowUnderAnOuterHoldWaitsForTheRelease) {
  HWND frame = OpenGraphicWindow(u"Nested hold", 200, 150);
  ASSERT_NE(frame, nullptr);
  std::atomic<bool> returned{false};
  TestThread holder([&] {
    SurfaceAttach(frame, 0, 0);
    SurfaceLock().lock();
    SurfaceWindowSetClientSize(260, 180);  // work sent to the window's thread
    SurfaceRedraw();                       // an update of the window's canvas
    returned = true;
    SurfaceLock().unlock();
  });
  EXPECT_TRUE(holder.join(5000)) << "the nested work waited for the window's thread";
  EXPECT_TRUE(returned);
  EXPECT_TRUE(WaitUntil([&] { return ClientSize(frame).cx == 260 && ClientSize(frame).cy == 180; }, 5000));
  Close(frame);
}

}  // namespace
}  // namespace qv
