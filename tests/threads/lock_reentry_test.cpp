// Waits for SurfaceLock that run sent messages: whatever those messages do may take the lock
// again, on any target, without waiting for the thread that serves them.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "dialog_show.h"
#include "dialog_test_support.h"
#include "draw_target.h"
#include "import_hook.h"
#include "memory_surface.h"
#include "surface_attach.h"
#include "surface_drawing.h"
#include "surface_lock.h"
#include "thread_watchdog.h"
#include "window_record.h"

namespace qv {
namespace {

constexpr int32_t kGraphicId = 1001;
constexpr WPARAM kDrawCommand = 4242;

std::atomic<bool> g_callback_entered{false};
std::atomic<int> g_callback_draws{0};

// Draws one pixel on the dialog's graphic control when told to.
LRESULT CALLBACK DrawingCallback(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message != WM_COMMAND || LOWORD(wparam) != kDrawCommand) return 0;
  g_callback_entered = true;
  HANDLE before = DrawTargetGet();
  SurfaceAttach(dialog, kGraphicId, 0);
  SurfaceSetPixel(5, 5, 0, 0x0000FF);
  DrawTargetSet(before);
  ++g_callback_draws;
  return 1;
}

// A worker drawing into a memory surface in a loop until told to stop.
struct DrawingWorker {
  std::atomic<bool> stop{false};
  std::atomic<long> draws{0};
  std::thread thread;

  explicit DrawingWorker(testing::ThreadPlace& place) {
    thread = std::thread([this, &place] {
      SurfaceAttach(MemorySurfaceCreate(64, 64), 0, 0);
      while (!stop) {
        place.At("SurfaceSetPixel on a memory surface");
        SurfaceSetPixel(static_cast<float>(draws % 64), 1, 0, 0xFFFFFF);
        place.Idle();
        ++draws;
      }
      MemorySurfaceDestroy();
    });
  }
  ~DrawingWorker() {
    stop = true;
    thread.join();
  }
};

class LockReentry : public ::testing::Test {
 protected:
  void SetUp() override {
    g_callback_entered = false;
    g_callback_draws = 0;
    dialog_ = testing::MakeDialog(u"re-entry", 40, 40, 300, 200, testing::kToolStyle, 0);
    testing::AddControl(14, dialog_, kGraphicId, 10, 10, 202, 102, WS_BORDER);
    DialogShowModeless(dialog_, DrawingCallback, nullptr);
    testing::PumpFor(100);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  HWND dialog_ = nullptr;
};

// The main thread waits for the lock in a window procedure's wait while a worker holds it; a
// second worker sends it a message whose callback draws. The callback must get the lock once
// the holder lets go, and the drawing worker must go on drawing.
TEST_F(LockReentry, SentMessageRunInTheServingWaitMayDraw) {
  testing::Watchdog watchdog("serving wait runs a drawing callback");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  testing::ThreadPlace& drawer_place = watchdog.Place("drawer");
  testing::ThreadPlace& holder_place = watchdog.Place("holder");
  testing::ThreadPlace& sender_place = watchdog.Place("sender");
  DrawingWorker drawer(drawer_place);

  std::atomic<bool> held{false};
  std::thread holder([&] {
    holder_place.At("SurfaceLock().lock()");
    SurfaceLock().lock();
    held = true;
    holder_place.At("holding until the callback has started");
    while (!g_callback_entered) Sleep(1);
    Sleep(50);
    SurfaceLock().unlock();
    holder_place.Idle();
  });
  std::thread sender([&] {
    sender_place.At("waiting for the main thread to wait for the lock");
    while (SurfaceLock().window_waiters() == 0) Sleep(1);
    sender_place.At("SendMessage to the dialog (callback draws)");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(dialog_, WM_COMMAND, kDrawCommand, 0, SMTO_NORMAL, 20000, &answer);
    sender_place.Idle();
  });

  while (!held) Sleep(1);
  {
    testing::PlaceScope at(main_place, "SurfaceLockScope (serving wait)");
    SurfaceLockScope hold;
  }
  sender.join();
  holder.join();
  EXPECT_EQ(g_callback_draws.load(), 1);
  long before = drawer.draws;
  {
    testing::PlaceScope at(main_place, "waiting for the drawer to go on");
    while (drawer.draws < before + 100) Sleep(1);
  }
}

// Under Wine the queue check of the serving wait first lets the display driver handle the
// thread's pending X events, and their handlers run the thread's window procedures. Here the
// first check runs the dialog's drawing command on the waiting thread itself, while a worker
// holds the lock: the drawing must not wait for its own thread to stop waiting.
HWND g_check_dialog = nullptr;
std::atomic<int> g_checks{0};
using QueueStatusFunction = DWORD(WINAPI*)(UINT);
QueueStatusFunction g_real_queue_status = nullptr;

DWORD WINAPI QueueStatusRunningADrawing(UINT flags) {
  if (g_checks++ == 0) SendMessageW(g_check_dialog, WM_COMMAND, kDrawCommand, 0);
  return g_real_queue_status(flags);
}

TEST_F(LockReentry, DrawingRunByTheServingWaitsQueueCheckGoesAhead) {
  testing::Watchdog watchdog("queue check of the serving wait runs a drawing callback");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  testing::ThreadPlace& holder_place = watchdog.Place("holder");
  std::atomic<bool> held{false};
  std::thread holder([&] {
    holder_place.At("SurfaceLock().lock()");
    SurfaceLock().lock();
    held = true;
    Sleep(100);
    SurfaceLock().unlock();
    holder_place.Idle();
  });
  while (!held) Sleep(1);
  g_check_dialog = dialog_;
  g_checks = 0;
  {
    testing::ImportHook hook("user32.dll", "GetQueueStatus", reinterpret_cast<void*>(QueueStatusRunningADrawing));
    ASSERT_TRUE(hook.installed());
    g_real_queue_status = reinterpret_cast<QueueStatusFunction>(hook.original());
    testing::PlaceScope at(main_place, "SurfaceLockScope (serving wait, queue check draws)");
    SurfaceLockScope hold;
  }
  holder.join();
  EXPECT_GE(g_checks.load(), 1);
  EXPECT_EQ(g_callback_draws.load(), 1);
}

// Two window threads wait for the lock; the other one runs a message whose handler sends the
// main thread's dialog the drawing command. Neither may count as waiting while it runs a message.
TEST_F(LockReentry, ServingWaitsOnTwoThreadsDoNotWaitForEachOther) {
  testing::Watchdog watchdog("two serving waits");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  testing::ThreadPlace& other_place = watchdog.Place("other window thread");
  testing::ThreadPlace& holder_place = watchdog.Place("holder");
  testing::ThreadPlace& poke_place = watchdog.Place("poke");
  testing::ThreadPlace& drawer_place = watchdog.Place("drawer");
  DrawingWorker drawer(drawer_place);

  std::atomic<bool> held{false};
  std::thread holder([&] {
    holder_place.At("SurfaceLock().lock()");
    SurfaceLock().lock();
    held = true;
    holder_place.At("holding until the callback has started");
    while (!g_callback_entered) Sleep(1);
    Sleep(50);
    SurfaceLock().unlock();
    holder_place.Idle();
  });
  while (!held) Sleep(1);

  HWND dialog = dialog_;
  std::atomic<HWND> relay{nullptr};
  std::thread other([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      if (m == WM_APP) {
        auto target = reinterpret_cast<HWND>(GetWindowLongPtrW(w, GWLP_USERDATA));
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(target, WM_COMMAND, kDrawCommand, 0, SMTO_NORMAL, 20000, &answer);
        return 1;
      }
      return DefWindowProcW(w, m, wp, lp);
    }));
    relay = window;
    other_place.At("SurfaceLockScope (serving wait)");
    {
      SurfaceLockScope hold;
    }
    other_place.Idle();
    DestroyWindow(window);
  });
  std::thread poke([&] {
    poke_place.At("waiting for both serving waits");
    while (SurfaceLock().window_waiters() < 2) Sleep(1);
    poke_place.At("SendMessage to the other window thread");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(relay, WM_APP, 0, 0, SMTO_NORMAL, 20000, &answer);
    poke_place.Idle();
  });
  while (!relay) Sleep(1);
  {
    testing::PlaceScope at(main_place, "SurfaceLockScope (serving wait)");
    SurfaceLockScope hold;
  }
  poke.join();
  other.join();
  holder.join();
  EXPECT_EQ(g_callback_draws.load(), 1);
}

// Program code that runs while its own thread holds the lock (a message sent by a window call
// of a surface operation) may draw: the holder's second take is counted, and the lock stays
// held until the outermost unlock.
TEST(LockReentryHolder, TheHolderMayDrawAndKeepsTheLockUntilItsLastUnlock) {
  testing::Watchdog watchdog("holder takes the lock again");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  HANDLE surface = MemorySurfaceCreate(16, 16);
  ASSERT_NE(surface, nullptr);
  SurfaceAttach(surface, 0, 0);
  SurfaceLock().lock();
  {
    testing::PlaceScope at(main_place, "SurfaceSetPixel while holding the lock");
    SurfaceSetPixel(1, 1, 0, 0xFFFFFF);
    SurfaceLockScope nested;
  }
  EXPECT_TRUE(SurfaceLock().held_by_caller());
  bool taken_elsewhere = true;
  std::thread([&] { taken_elsewhere = SurfaceLock().try_lock(); }).join();
  EXPECT_FALSE(taken_elsewhere);
  SurfaceLock().unlock();
  EXPECT_FALSE(SurfaceLock().held_by_caller());
  std::thread([&] {
    taken_elsewhere = SurfaceLock().try_lock();
    if (taken_elsewhere) SurfaceLock().unlock();
  }).join();
  EXPECT_TRUE(taken_elsewhere);
  MemorySurfaceDestroy();
}

}  // namespace
}  // namespace qv
