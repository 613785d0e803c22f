#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dialog_end.h"
#include "dialog_settings.h"
#include "dialog_show.h"
#include "dialog_test_support.h"
#include "unix_program.h"
#include "window_record.h"

namespace qv {
namespace {

constexpr int32_t kCommand = 4242;
constexpr UINT_PTR kPressTimer = 5, kGiveUpTimer = 6;
constexpr wchar_t kTitle[] = L"Accelerator keys";

int presses = 0;
HANDLE last_press = nullptr;

// Types Ctrl+K on the X display into the test's window, the way a person's keyboard does: the
// program runs Linux's xdotool, which Wine starts like any program.
bool PressOnDisplay() {
  std::wstring command = L"/usr/bin/xdotool search --name \"^";
  command += kTitle;
  // No --sync: a focus that cannot be given must not leave a waiting process behind.
  command += L"$\" windowfocus sleep 0.3 key --clearmodifiers ctrl+k";
  HANDLE process = nullptr;
  if (!testing::StartUnixProgram("/usr/bin/xdotool", command, &process)) return false;
  if (last_press) CloseHandle(last_press);
  last_press = process;
  ++presses;
  return true;
}

LRESULT CALLBACK KeyCallback(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetTimer(dialog, kPressTimer, 500, nullptr);
    SetTimer(dialog, kGiveUpTimer, 60000, nullptr);
  }
  // The key again every few seconds, in case the first one came before the window had focus.
  if (message == WM_TIMER && wparam == kPressTimer) {
    if (!PressOnDisplay()) DialogEnd(dialog, -1);
    SetTimer(dialog, kPressTimer, 4000, nullptr);
  }
  if (message == WM_TIMER && wparam == kGiveUpTimer) DialogEnd(dialog, -99);
  if (message == WM_COMMAND && LOWORD(wparam) == kCommand) DialogEnd(dialog, kCommand);
  return 0;
}

TEST(Accelerators, KeyPressedOnTheDisplayRunsTheCommand) {
  HWND dialog = testing::MakeDialog(reinterpret_cast<const char16_t*>(kTitle), 200, 200, 240, 120);
  ASSERT_NE(dialog, nullptr);
  const ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'K', kCommand}};
  DialogSetAccelerators(dialog, keys);
  int32_t result = 0;
  presses = 0;
  DialogShowModal(dialog, KeyCallback, &result);
  if (last_press) {
    if (WaitForSingleObject(last_press, 10000) != WAIT_OBJECT_0) TerminateProcess(last_press, 1);
    CloseHandle(last_press);
    last_press = nullptr;
  }
  ASSERT_NE(result, -1) << "xdotool could not be started";
  EXPECT_EQ(result, kCommand);
  EXPECT_GE(presses, 1);
}

}  // namespace
}  // namespace qv
