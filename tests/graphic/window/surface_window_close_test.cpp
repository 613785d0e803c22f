#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "surface_attach.h"
#include "unix_program.h"
#include "window_record.h"
#include "window_test_support.h"

namespace qv {
namespace {

using namespace testing;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The window manager's close of the frame's X window, sent by a helper on the Linux side; true
// once the X server has passed it on.
bool CloseFromWindowManager(HWND frame) {
  static int sent = 0;
  auto xid = reinterpret_cast<uintptr_t>(GetPropW(frame, L"__wine_x11_whole_window"));
  if (!xid) return false;
  std::string marker = "/tmp/qv_x_close_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++sent);
  std::string source = QV_SOURCE_DIR;
  std::wstring command = Wide("/usr/bin/python3 " + source + "/tests/graphic/window/x_close.py " + source + "/tools/e2e " +
                              std::to_string(xid) + " " + marker);
  std::wstring marker_path = L"Z:" + Wide(marker);
  for (wchar_t& c : marker_path)
    if (c == L'/') c = L'\\';
  if (!StartUnixProgram("/usr/bin/python3", command)) return false;
  bool done = WaitUntil([&] { return GetFileAttributesW(marker_path.c_str()) != INVALID_FILE_ATTRIBUTES; });
  DeleteFileW(marker_path.c_str());
  return done;
}

TEST(GraphicWindowClose, TheUsersCloseEndsTheThreadUnlessCloseIsBlocked) {
  if (!UnderWine()) GTEST_SKIP() << "the window manager's close is sent through Wine's X11 driver";
  SurfaceDetach();
  HWND frame = OpenGraphicWindow(u"Close me", 200, 120);
  ASSERT_NE(frame, nullptr);
  HANDLE thread = WindowThread(frame);
  ASSERT_TRUE(RecordFieldSet(frame, RecordField::kCloseBlock, 1));
  {
    MessageWatch watch(frame);
    ASSERT_TRUE(CloseFromWindowManager(frame)) << "the X helper (python3-xlib) did not run";
    ASSERT_TRUE(WaitUntil([&] { return watch.Seen(WM_SYSCOMMAND, 0xFFF0, SC_CLOSE) > 0; }));
    SendMessageW(frame, WM_NULL, 0, 0);  // the close command has been handled when this returns
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  }
  ASSERT_TRUE(RecordFieldSet(frame, RecordField::kCloseBlock, 0));
  ASSERT_TRUE(CloseFromWindowManager(frame));
  EXPECT_TRUE(ThreadEnds(thread));
  EXPECT_FALSE(IsWindow(frame));
  CloseHandle(thread);
  SurfaceDetach();
}

}  // namespace
}  // namespace qv
