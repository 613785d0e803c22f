// ControlKill from threads other than the control's: the caller never waits without bound for
// the control's thread, and the control goes once that thread runs its messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "dialog_settings.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "window_record.h"

namespace qv {
namespace {

using testing::AddControl;
using testing::MakeDialog;
using testing::PumpFor;

constexpr DWORD kKillPatienceMs = 2000;  // the kill's own bound, with room for a loaded machine

std::atomic<int> g_private_seen{0};

LRESULT CALLBACK CountingCallback(HWND, UINT message, WPARAM, LPARAM) {
  if (message == 0x1410) ++g_private_seen;
  return 0;
}

class CrossThreadKill : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = MakeDialog(u"kill", 60, 60, 300, 200, testing::kToolStyle, 0);
    DialogShowModeless(dialog_, CountingCallback, nullptr);
    PumpFor(50);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  HWND Button(int32_t id) {
    AddControl(1, dialog_, id, 10, 10 + (id % 5) * 30, 100, 24, 0);
    return GetDlgItem(dialog_, id);
  }

  HWND dialog_ = nullptr;
};

// The dialog's thread waits for the worker without running messages (as a join does): the
// worker's kill returns within its bound all the same, and the control goes once the dialog's
// thread runs messages again.
TEST_F(CrossThreadKill, ReturnsWhileTheDialogsThreadWaitsForTheWorker) {
  HWND first = Button(3001), second = Button(3002);
  int32_t records = RecordCount();
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    ControlKill(dialog_, 3001);
    ControlKill(dialog_, 3002);
    SetEvent(done);
  });
  DWORD waited = WaitForSingleObject(done, 2 * kKillPatienceMs + 1000);  // runs no messages
  while (WaitForSingleObject(done, 0) != WAIT_OBJECT_0) PumpFor(10);  // frees a stuck worker
  worker.join();
  CloseHandle(done);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the kills waited for the dialog's thread";
  PumpFor(50);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(RecordFind(first), nullptr);
  EXPECT_EQ(RecordCount(), records - 2);
}

// The engine's own request cannot be confused with a program's message of the same number: a
// program's 0x1410 reaches its callback and destroys nothing.
TEST_F(CrossThreadKill, AProgramsOwnMessageReachesItsCallbackAndDestroysNothing) {
  HWND button = Button(3004);
  g_private_seen = 0;
  SendMessageW(dialog_, 0x1410, reinterpret_cast<WPARAM>(button), 0);
  std::atomic<bool> sent{false};
  std::thread sender([&] {
    SendMessageW(dialog_, 0x1410, reinterpret_cast<WPARAM>(button), 0);
    sent = true;
  });
  while (!sent) PumpFor(5);
  sender.join();
  EXPECT_EQ(g_private_seen.load(), 2);
  EXPECT_TRUE(IsWindow(button));
  EXPECT_NE(RecordFind(button), nullptr);
}

}  // namespace
}  // namespace qv
