// Line input on a graphic window of another thread keeps the calling thread's own windows
// answering while it waits for the Enter key.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "draw_target.h"
#include "surface_keys.h"
#include "surface_window.h"
#include "surface_window_ops.h"
#include "thread_test_support.h"
#include "thread_watchdog.h"

namespace qv {
namespace {

TEST(LineInputThreads, TheCallingThreadsWindowsAnswerWhileItWaits) {
  testing::Watchdog watchdog("line input");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  testing::ThreadPlace& reader_place = watchdog.Place("reader");
  std::atomic<HWND> own{nullptr}, canvas{nullptr};
  std::u16string typed;
  std::thread reader([&] {
    testing::PushUnits(u"line input");
    HWND frame = SurfaceWindowOpenThreaded(60, 60, 240, 120, 0, 1, 0);
    canvas = GetDlgItem(frame, 0);
    own = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    testing::PushUnits(u"> ");
    reader_place.At("SurfaceLineInput");
    SurfaceLineInput();
    reader_place.Idle();
    typed = PopText().wide();
    SurfaceWindowClose();
    DestroyWindow(own);
  });
  while (!own) Sleep(1);
  Sleep(100);  // into the line input's wait
  DWORD_PTR answer = 0;
  {
    testing::PlaceScope at(main_place, "SendMessage to the reader's own window");
    EXPECT_NE(SendMessageTimeoutW(own, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &answer), 0);
  }
  for (WPARAM key : {WPARAM{'o'}, WPARAM{'k'}, WPARAM{'\r'}}) {
    PostMessageW(canvas, WM_CHAR, key, 0);
    Sleep(100);  // one key at a time: the canvas keeps only the last
  }
  {
    testing::PlaceScope at(main_place, "joining the reader");
    reader.join();
  }
  EXPECT_EQ(typed, u"ok");
}

}  // namespace
}  // namespace qv
