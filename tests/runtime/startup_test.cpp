#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "frame.h"
#include "runtime_state.h"
#include "thread_record.h"

namespace qv {
namespace {

// Runs the probe program with the given tail and returns its exit code.
DWORD RunProbe(const std::wstring& tail) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"" STARTUP_PROBE_NAME;
  std::wstring line = L"\"" + path + L"\" " + tail;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 0xDEAD;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0xDEAD;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

TEST(StartUp, MainsResultIsTheExitCodeWhole) {
  EXPECT_EQ(RunProbe(L"result 7"), 7u);
  EXPECT_EQ(RunProbe(L"result 0"), 0u);
  // All 32 bits: not cut to a byte, and 255 is an ordinary result too.
  EXPECT_EQ(RunProbe(L"result 255"), 255u);
  EXPECT_EQ(RunProbe(L"result 300"), 300u);
  EXPECT_EQ(RunProbe(L"result -2"), 0xFFFFFFFEu);
  EXPECT_EQ(RunProbe(L"zero"), 51u);  // error 0 is recorded as 51
}

// The run-time's shared state (the thread-record slot, the globals) stays while another thread
// still uses it: the process ends it, not the shutdown under that thread's feet.
TEST(StartUp, ShutdownLeavesSharedStateToThreadsStillRunning) { EXPECT_EQ(RunProbe(L"worker"), 0u); }

TEST(StartUp, FatalErrorsEndTheProcessWith255) {
  EXPECT_EQ(RunProbe(L"fatal 241"), 255u);
  EXPECT_EQ(RunProbe(L"fatal 244"), 255u);
  EXPECT_EQ(RunProbe(L"fatal 240"), 3u);  // the highest non-fatal number lets main go on
  EXPECT_EQ(RunProbe(L"overflow"), 255u);
  EXPECT_EQ(RunProbe(L"underflow"), 255u);
}

TEST(StartUp, PreparesProcessAndMainThreadState) {
  RuntimeState& rt = Runtime();
  EXPECT_TRUE(rt.initialised);
  EXPECT_EQ(rt.version_platform_id, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(rt.module, GetModuleHandleW(nullptr));
  EXPECT_EQ(rt.show_window, 10);  // no STARTF_USESHOWWINDOW from the test runner
  ASSERT_NE(rt.command_tail, nullptr);
  EXPECT_GE(rt.command_tail, rt.command_line);
  ASSERT_NE(rt.main_record, nullptr);
  EXPECT_EQ(ThreadRecordGet(), rt.main_record);
  EXPECT_EQ(rt.main_record->settings[0], 1);
  EXPECT_EQ(rt.main_record->settings[1], 1);
  EXPECT_EQ(rt.main_record->settings[2], 2);
  EXPECT_EQ(rt.main_record->settings[3], 3);
  EXPECT_EQ(rt.main_record->code_page, 0u);
}

TEST(StartUp, FloatingPointControlWordIsLoaded) {
  uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  // Precision, rounding and exception masks; the processor reads reserved bit 6 back as 1.
  constexpr uint16_t kMeaningful = 0x0F3F;
  EXPECT_EQ(word & kMeaningful, kFpuControlWord & kMeaningful);
}

TEST(ThreadRecords, NewThreadsCopyTheFiveInheritedWords) {
  ThreadRecord* main = Runtime().main_record;
  ASSERT_NE(main, nullptr);
  main->settings[2] = 7;
  main->code_page = 65001;
  int32_t seen_setting = 0;
  uint32_t seen_code_page = 0;
  bool distinct = false;
  std::thread([&] {
    ThreadRecord* own = ThreadRecordGet();
    distinct = own && own != main;
    if (own) {
      seen_setting = own->settings[2];
      seen_code_page = own->code_page;
    }
    ThreadRecordRelease();
  }).join();
  main->settings[2] = 2;
  main->code_page = 0;
  EXPECT_TRUE(distinct);
  EXPECT_EQ(seen_setting, 7);
  EXPECT_EQ(seen_code_page, 65001u);
}

}  // namespace
}  // namespace qv
