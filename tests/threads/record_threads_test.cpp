// Window records shared between threads: who decides about a brush, and which fields are read
// and written only under SurfaceLock.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "brush_sharing.h"
#include "dialog_settings.h"
#include "dialog_show.h"
#include "font_table.h"
#include "dialog_test_support.h"
#include "import_hook.h"
#include "surface_lock.h"
#include "scroll_area.h"
#include "thread_watchdog.h"
#include "window_record.h"

namespace qv {
namespace {

std::mutex g_deleted_lock;
std::vector<HGDIOBJ> g_deleted;
BOOL(WINAPI* g_delete_object)(HGDIOBJ) = nullptr;

BOOL WINAPI LoggingDeleteObject(HGDIOBJ object) {
  {
    std::lock_guard hold(g_deleted_lock);
    g_deleted.push_back(object);
  }
  return g_delete_object(object);
}

// Recolours record b on another thread while a's teardown has a's window handle its font back,
// which is after a left the list: the brush both shared must still be deleted exactly once.
TEST(RecordThreads, ASharedBrushIsDeletedOnceWhenItsRecordsGoAndChangeAtOnce) {
  testing::ImportHook hook("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(LoggingDeleteObject));
  ASSERT_TRUE(hook.installed());
  g_delete_object = reinterpret_cast<BOOL(WINAPI*)(HGDIOBJ)>(hook.original());
  g_deleted.clear();

  static HANDLE other = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7E10000));
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(RecordCreate(window, nullptr, kFlagControl, 5), nullptr);
  ASSERT_NE(RecordCreate(other, nullptr, kFlagControl, 5), nullptr);
  ASSERT_TRUE(RecordColoursExchange(window, 0, 0x123456));
  ASSERT_TRUE(RecordColoursExchange(other, 0, 0x123456));
  HBRUSH shared = RecordFind(window)->background_brush;
  ASSERT_EQ(RecordFind(other)->background_brush, shared);
  // Font 1 with "no font of its own" before it: the teardown sends WM_SETFONT to the window.
  ASSERT_TRUE(RecordFieldSet(window, RecordField::kFont, 1));
  ASSERT_TRUE(RecordFieldSet(window, RecordField::kPreviousFont, -1));
  SetWindowLongPtrW(window, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                      if (m == WM_SETFONT) std::thread([] { RecordColoursExchange(other, 0, 0x654321); }).join();
                      return DefWindowProcW(w, m, wp, lp);
                    }));

  RecordDestroy(window);
  RecordDestroy(other);
  DestroyWindow(window);
  std::lock_guard hold(g_deleted_lock);
  EXPECT_EQ(std::count(g_deleted.begin(), g_deleted.end(), shared), 1);
}

class SurfaceFields : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = testing::MakeDialog(u"fields", 40, 40, 300, 200, testing::kToolStyle, 0);
    testing::AddControl(14, dialog_, 1001, 10, 10, 202, 102, WS_BORDER);
    control_ = GetDlgItem(dialog_, 1001);
    DialogShowModeless(dialog_, nullptr, nullptr);
    testing::PumpFor(50);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  HWND dialog_ = nullptr, control_ = nullptr;
};

// Drawing threads write the flag word under SurfaceLock; whoever else reads or writes it waits
// until a holder has let go.
TEST_F(SurfaceFields, AreReadAndWrittenOnlyUnderSurfaceLock) {
  HWND control = control_;
  struct Case {
    const char* name;
    void (*touch)(HWND control);
  };
  const Case cases[] = {
      {"RecordFieldSet", [](HWND c) { RecordFieldSet(c, RecordField::kFlags, *RecordFieldGet(c, RecordField::kFlags)); }},
      {"RecordFieldGet", [](HWND c) { RecordFieldGet(c, RecordField::kFlags); }},
      {"ScrollViewSized", [](HWND c) { ScrollViewSized(c); }},
  };
  testing::Watchdog watchdog("surface fields under the lock");
  testing::ThreadPlace& main_place = watchdog.Place("main");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<bool> held{false}, released{false};
    std::thread holder([&] {
      SurfaceLock().lock();
      held = true;
      Sleep(200);
      released = true;
      SurfaceLock().unlock();
    });
    while (!held) Sleep(1);
    {
      testing::PlaceScope at(main_place, c.name);
      c.touch(control);
    }
    EXPECT_TRUE(released.load());
    holder.join();
  }
}

int32_t FontReferences() {
  int32_t sum = 0;
  for (int32_t n = 1; FontRecord* font = FontTableFind(n); ++n) sum += font->references;
  return sum;
}

// A font set from another thread on a control whose dialog goes while the control takes the
// font: the setter must neither write into the freed record nor keep a reference for it.
TEST(RecordThreads, AFontSetWhileTheDialogGoesLeavesNoReferenceBehind) {
  HWND dialog = testing::MakeDialog(u"font", 40, 40, 300, 200, testing::kToolStyle, 0);
  testing::AddControl(5, dialog, 1004, 10, 10, 80, 24, 0, 0, nullptr, u"text");
  HWND control = GetDlgItem(dialog, 1004);
  ASSERT_NE(control, nullptr);
  DialogShowModeless(dialog, nullptr, nullptr);
  static WNDPROC saved = nullptr;
  saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        LRESULT answer = CallWindowProcW(saved, w, m, wp, lp);
        if (m == WM_SETFONT) DestroyWindow(GetParent(w));
        return answer;
      })));
  int32_t references = FontReferences();
  std::atomic<bool> done{false};
  std::thread setter([&] {
    ControlSetFont(dialog, 1004, 2);
    done = true;
  });
  while (!done) testing::PumpFor(10);
  setter.join();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(FontReferences(), references);
}

}  // namespace
}  // namespace qv
