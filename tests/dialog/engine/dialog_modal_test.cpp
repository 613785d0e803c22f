#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "dialog_end.h"
#include "dialog_show.h"
#include "engine_state.h"
#include "window_record.h"
#include "dialog_test_support.h"

namespace qv {
namespace {

using testing::CallbackLog;
using testing::LoggedMessages;
using testing::LoggingCallback;
using testing::MakeToolDialog;

constexpr UINT kProbe = WM_APP + 5;

class ModalDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    CallbackLog().clear();
    records_before_ = RecordCount();
    open_before_ = DialogEngine().open_dialogs;
    dialog_ = MakeToolDialog();
    ASSERT_NE(dialog_, nullptr);
    testing::ArmSafetyTimer(dialog_);
  }
  void Run(DialogCallback callback) {
    result_ = 12345;
    DialogShowModal(dialog_, callback, &result_);
  }
  void ExpectGone() {
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_EQ(RecordFind(dialog_), nullptr);
    EXPECT_EQ(RecordCount(), records_before_);
    EXPECT_EQ(DialogEngine().open_dialogs, open_before_);
  }

  HWND dialog_ = nullptr;
  int32_t result_ = 0;
  int32_t records_before_ = 0;
  int32_t open_before_ = 0;
};

// Positions of the messages in the log, so that orders can be compared.
size_t IndexOf(const std::vector<UINT>& log, UINT message, size_t from = 0) {
  auto it = std::find(log.begin() + static_cast<std::ptrdiff_t>(from), log.end(), message);
  return static_cast<size_t>(it - log.begin());
}

TEST_F(ModalDialog, UserCloseEndsTheDialogWithResultZero) {
  // What the system sends when the user clicks the close box.
  PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
  Run(LoggingCallback);
  EXPECT_EQ(result_, 0);
  ExpectGone();

  std::vector<UINT> log = LoggedMessages();
  ASSERT_GE(log.size(), 2u);
  // The opening pair comes first, while the window is hidden.
  EXPECT_EQ(log[0], static_cast<UINT>(WM_INITDIALOG));
  EXPECT_EQ(CallbackLog()[0].wparam, reinterpret_cast<WPARAM>(dialog_));
  EXPECT_EQ(CallbackLog()[0].lparam, 0);
  EXPECT_FALSE(CallbackLog()[0].visible);
  EXPECT_EQ(log[1], static_cast<UINT>(WM_SIZE));
  EXPECT_EQ(CallbackLog()[1].wparam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(CallbackLog()[1].lparam, MAKELPARAM(1220, 980));
  EXPECT_FALSE(CallbackLog()[1].visible);

  size_t close_command = IndexOf(log, WM_SYSCOMMAND);
  size_t close = IndexOf(log, WM_CLOSE, close_command);
  size_t destroy = IndexOf(log, WM_DESTROY, close);
  size_t nc_destroy = IndexOf(log, WM_NCDESTROY, destroy);
  EXPECT_LT(close_command, close);
  EXPECT_LT(destroy, nc_destroy);
  EXPECT_EQ(nc_destroy, log.size() - 1);  // nothing after the record is gone
  EXPECT_EQ(std::count(log.begin(), log.end(), WM_INITDIALOG), 1);  // the system's never arrives
  EXPECT_TRUE(CallbackLog()[close_command].visible);
}

TEST_F(ModalDialog, ActivationNeverReachesTheCallback) {
  PostMessageW(dialog_, kProbe, 0, 0);
  static HWND active_after[3];
  Run([](HWND dialog, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    LoggingCallback(dialog, message, w, l);
    if (message == kProbe) {
      // Sent, so that no activation of the system's can come in between.
      const WPARAM states[3] = {WA_INACTIVE, WA_ACTIVE, WA_CLICKACTIVE};
      for (int i = 0; i < 3; ++i) {
        SendMessageW(dialog, WM_ACTIVATE, states[i], 0);
        active_after[i] = DialogEngine().active_dialog;
      }
      DialogEnd(dialog, 1);
    }
    return 0;
  });
  std::vector<UINT> log = LoggedMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(), WM_ACTIVATE), 0);
  EXPECT_EQ(active_after[0], nullptr);
  EXPECT_EQ(active_after[1], dialog_);
  EXPECT_EQ(active_after[2], dialog_);
}

TEST_F(ModalDialog, NonZeroAnswerLandsInTheMessageResult) {
  static LRESULT stored, returned;
  stored = returned = 0;
  PostMessageW(dialog_, kProbe, 0, 0);
  Run([](HWND dialog, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kProbe + 1) return 0x5A5A;
    if (message == kProbe) {
      returned = SendMessageW(dialog, kProbe + 1, 0, 0);
      stored = GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
      DialogEnd(dialog, 1);
    }
    return 0;
  });
  EXPECT_EQ(stored, 0x5A5A);
  EXPECT_EQ(returned, 0x5A5A);
}

TEST_F(ModalDialog, BlockedCloseRequestIsSwallowed) {
  RecordFind(dialog_)->close_block = kCloseBlocked;
  PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(dialog_, kProbe, 0, 0);
  static bool alive_at_probe;
  alive_at_probe = false;
  Run([](HWND dialog, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kProbe) {
      alive_at_probe = IsWindow(dialog);
      DialogEnd(dialog, 3);  // ending also lifts the block
    }
    return 0;
  });
  EXPECT_TRUE(alive_at_probe);
  EXPECT_EQ(result_, 3);
  ExpectGone();
}

TEST(DialogShow, WindowWithoutRecordGetsOnlyTheOpeningCalls) {
  CallbackLog().clear();
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(plain, nullptr);
  int32_t result = 9;
  DialogShowModal(plain, LoggingCallback, &result);
  DialogShowModeless(plain, LoggingCallback, &result);
  EXPECT_EQ(LoggedMessages(), (std::vector<UINT>{WM_INITDIALOG, WM_SIZE, WM_INITDIALOG, WM_SIZE}));
  EXPECT_FALSE(IsWindowVisible(plain));
  DialogEnd(plain, 1);  // nothing happens
  EXPECT_TRUE(IsWindow(plain));
  EXPECT_EQ(result, 9);
  DestroyWindow(plain);
  DialogShowModal(nullptr, nullptr, nullptr);
}

TEST(DialogShow, ModelessDialogIsServedByPumping) {
  CallbackLog().clear();
  HWND dialog = MakeToolDialog();
  ASSERT_NE(dialog, nullptr);
  int32_t result = 0;
  int32_t open = DialogEngine().open_dialogs;
  DialogShowModeless(dialog, LoggingCallback, &result);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_NE(RecordFind(dialog)->flags & kFlagShown, 0u);
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  for (int i = 0; i < 1000 && IsWindow(dialog); ++i) DialogPumpOnce();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(DialogPumpOnce(), open - 1);
}

}  // namespace
}  // namespace qv
