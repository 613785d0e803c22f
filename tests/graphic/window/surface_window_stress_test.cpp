#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "surface.h"
#include "surface_attach.h"
#include "surface_clear.h"
#include "thread_record.h"
#include "window_test_support.h"

namespace qv {
namespace {

using namespace testing;

constexpr DWORD kShapingMs = 3000;

// Draws until the target is gone; counts the operations that found it.
template <typename Draw>
void DrawUntilGone(HWND frame, std::atomic<int>& done, std::atomic<bool>& ended_without_target, Draw draw) {
  SurfaceAttach(frame, 0, 0);
  for (int i = 0;; ++i) {
    WindowRecord* record = SurfaceAcquire();
    if (!record) break;
    draw(*record, i);
    ++done;
  }
  ended_without_target = true;
}

TEST(GraphicWindowStress, DrawingWhileAnotherThreadResizesMinimisesRestoresAndCloses) {
  std::atomic<int> batched_done{0}, immediate_done{0}, shapes{0};
  std::atomic<bool> batched_ended{false}, immediate_ended{false}, shaped{false};
  Watchdog dog(120, "the graphic-window stress test", [&] {
    std::fprintf(stderr, "batched %d (ended %d), immediate %d (ended %d), shapes %d (done %d)\n",
                 batched_done.load(), int{batched_ended}, immediate_done.load(), int{immediate_ended}, shapes.load(),
                 int{shaped});
  });
  SurfaceDetach();
  int32_t records = RecordCount();
  int32_t thread_records = ThreadRecordCount();
  HWND frame = OpenGraphicWindow(u"Stress", 320, 240);
  ASSERT_NE(frame, nullptr);
  SurfaceDetach();
  HANDLE window_thread = WindowThread(frame);

  DynString picture = FilledPixels(320, 240, 0x00336699);

  // Marks under BatchRedraw: the window's loop shows them.
  TestThread batched([&] {
    DrawUntilGone(frame, batched_done, batched_ended, [&](WindowRecord& r, int i) {
      PatBlt(r.memory_dc, i % 300, i % 200, 20, 20, (i & 1) ? BLACKNESS : WHITENESS);
      SurfaceMarkDirty(r, i % 300, i % 200, i % 300 + 20, i % 200 + 20);
      if (i % 50 == 0) WritePixels(picture);
    });
  });
  // Marks that refresh at once, from this thread, and explicit redraws and clears.
  TestThread immediate([&] {
    DrawUntilGone(frame, immediate_done, immediate_ended, [&](WindowRecord& r, int i) {
      PatBlt(r.memory_dc, 0, 0, 40, 40, (i & 1) ? BLACKNESS : WHITENESS);
      r.flags |= kForceRefresh;
      SurfaceMarkDirty(r, 0, 0, 40, 40);
      if (i % 20 == 0) SurfaceRedraw();
      if (i % 30 == 0) SurfaceClear(0x00FFFF00 ^ i, i % 7);
    });
  });
  TestThread shaper([&] {
    DWORD start = GetTickCount();
    for (int i = 0; GetTickCount() - start < kShapingMs; ++i) {
      switch (i % 4) {
        case 0:
          SetWindowPos(frame, nullptr, 0, 0, 200 + (i * 37) % 300, 150 + (i * 53) % 250, SWP_NOMOVE | SWP_NOZORDER);
          break;
        case 1:
          ShowWindow(frame, SW_MINIMIZE);
          break;
        case 2:
          ShowWindow(frame, SW_RESTORE);
          break;
        default:
          SetWindowPos(frame, nullptr, 0, 0, 300, 220, SWP_NOMOVE | SWP_NOZORDER | SWP_ASYNCWINDOWPOS);
          break;
      }
      ++shapes;
    }
    shaped = true;
    SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(shaper.join());
  EXPECT_TRUE(batched.join());
  EXPECT_TRUE(immediate.join());

  EXPECT_TRUE(ThreadEnds(window_thread));
  CloseHandle(window_thread);
  EXPECT_TRUE(batched_ended);
  EXPECT_TRUE(immediate_ended);
  EXPECT_GT(batched_done, 0);
  EXPECT_GT(immediate_done, 0);
  EXPECT_GT(shapes, 4);
  EXPECT_EQ(RecordCount(), records);
  EXPECT_EQ(ThreadRecordCount(), thread_records);  // the drawing threads gave theirs back
  std::printf("stress: %d batched and %d immediate operations, %d shape changes\n", batched_done.load(),
              immediate_done.load(), shapes.load());
}

}  // namespace
}  // namespace qv
