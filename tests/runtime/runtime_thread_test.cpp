#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <thread>

#include "frame.h"
#include "runtime_state.h"
#include "thread_record.h"
#include "win32/runtime_thread.h"

namespace qv {
namespace {

// Precision, rounding and exception masks; the processor reads reserved bit 6 back as 1.
constexpr uint16_t kMeaningful = 0x0F3F;

uint16_t ControlWord() {
  uint16_t word = 0;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}

struct Seen {
  ThreadRecord* record = nullptr;
  int32_t setting = 0;
  uint32_t code_page = 0;
  uint16_t control_word = 0;
};

TEST(RuntimeThreads, StartLikeTheStartUpThreadAndGiveTheirRecordBack) {
  ThreadRecord* main = Runtime().main_record;
  ASSERT_NE(main, nullptr);
  main->settings[1] = 9;
  main->code_page = 1252;
  int32_t before = ThreadRecordCount();
  Seen seen;
  HANDLE thread = RuntimeThreadStart(
      [](void* out) {
        auto* seen = static_cast<Seen*>(out);
        seen->control_word = ControlWord();
        seen->record = ThreadRecordPeek();
        if (seen->record) {
          seen->setting = seen->record->settings[1];
          seen->code_page = seen->record->code_page;
        }
      },
      &seen);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);
  main->settings[1] = 1;
  main->code_page = 0;

  ASSERT_NE(seen.record, nullptr);  // there before the thread's work ran
  EXPECT_NE(seen.record, main);
  EXPECT_EQ(seen.setting, 9);
  EXPECT_EQ(seen.code_page, 1252u);
  EXPECT_EQ(seen.control_word & kMeaningful, kFpuControlWord & kMeaningful);
  EXPECT_EQ(ThreadRecordCount(), before);
}

TEST(RuntimeThreads, AThreadThatEndsWithoutReleasingItsRecordStillGivesItBack) {
  int32_t before = ThreadRecordCount();
  uint16_t control_word = 0;
  int32_t during = 0;
  std::thread([&] {
    ThreadRecordGet();  // first use of the run-time on a thread it did not start
    control_word = ControlWord();
    during = ThreadRecordCount();
  }).join();
  EXPECT_EQ(during, before + 1);
  EXPECT_EQ(ThreadRecordCount(), before);
  EXPECT_EQ(control_word & kMeaningful, kFpuControlWord & kMeaningful);
}

}  // namespace
}  // namespace qv
