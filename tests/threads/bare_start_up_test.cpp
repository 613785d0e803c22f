// A program whose start-up did not connect the graphic entries to the dialog engine (this test
// program starts without them) still has its graphic records freed only under SurfaceLock.
#include <gtest/gtest.h>

#include <windows.h>

#include <mutex>
#include <vector>

#include "draw_target.h"
#include "font_table.h"
#include "import_hook.h"
#include "surface_lock.h"
#include "surface_window.h"
#include "thread_test_support.h"
#include "thread_watchdog.h"
#include "window_record.h"

namespace qv {
namespace {

std::mutex g_seen_lock;
std::vector<bool> g_held_at_delete;  // whether the deleting thread held SurfaceLock
BOOL(WINAPI* g_delete_dc)(HDC) = nullptr;

BOOL WINAPI WatchingDeleteDC(HDC dc) {
  {
    std::lock_guard hold(g_seen_lock);
    g_held_at_delete.push_back(SurfaceLock().held_by_caller());
  }
  return g_delete_dc(dc);
}

TEST(BareStartUp, AGraphicWindowsCanvasIsFreedUnderSurfaceLock) {
  if (!FontTableFind(1)) FontTableCreateDefaults();
  testing::Watchdog watchdog("teardown without graphic entries");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  testing::PushUnits(u"bare");
  HWND frame = SurfaceWindowOpenThreaded(60, 60, 200, 100, 0, 1, 0);
  ASSERT_NE(frame, nullptr);
  DrawTargetSet(nullptr);
  int32_t records = RecordCount();

  testing::ImportHook hook("gdi32.dll", "DeleteDC", reinterpret_cast<void*>(WatchingDeleteDC));
  ASSERT_TRUE(hook.installed());
  g_delete_dc = reinterpret_cast<BOOL(WINAPI*)(HDC)>(hook.original());
  PostMessageW(frame, WM_CLOSE, 0, 0);
  {
    testing::PlaceScope at(main_place, "waiting for the window's records to go");
    while (RecordCount() > records - 2) Sleep(5);
  }
  std::lock_guard hold(g_seen_lock);
  ASSERT_FALSE(g_held_at_delete.empty());
  for (bool held : g_held_at_delete) EXPECT_TRUE(held);
}

}  // namespace
}  // namespace qv
