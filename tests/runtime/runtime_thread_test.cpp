#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frame.h"
#include "import_hook.h"
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

// Threads the run-time did not start (a program's own std::thread or CreateThread) get their
// record on first use and give it back when they end, without releasing it themselves.
struct ForeignUse {
  uint16_t control_word = 0;
  int32_t during = 0;
};

DWORD WINAPI UseTheRuntime(void* out) {
  auto* use = static_cast<ForeignUse*>(out);
  ThreadRecordGet();
  use->control_word = ControlWord();
  use->during = ThreadRecordCount();
  return 0;
}

TEST(RuntimeThreads, ThreadsThatEndWithoutReleasingTheirRecordStillGiveItBack) {
  using Start = void (*)(ForeignUse&);
  const std::pair<const char*, Start> starts[] = {
      {"std::thread", [](ForeignUse& use) { std::thread([&] { UseTheRuntime(&use); }).join(); }},
      {"CreateThread",
       [](ForeignUse& use) {
         HANDLE thread = CreateThread(nullptr, 0, UseTheRuntime, &use, 0, nullptr);
         ASSERT_NE(thread, nullptr);
         WaitForSingleObject(thread, INFINITE);
         CloseHandle(thread);
       }},
  };
  for (const auto& [name, start] : starts) {
    SCOPED_TRACE(name);
    int32_t before = ThreadRecordCount();
    ForeignUse use;
    start(use);
    EXPECT_EQ(use.during, before + 1);
    EXPECT_EQ(ThreadRecordCount(), before);
    EXPECT_EQ(use.control_word & kMeaningful, kFpuControlWord & kMeaningful);
  }
}

// Threads that use the run-time for the first time at the same moment, before anyone made the
// thread-record slot: one slot is made, and every thread finds its own record in it.
DWORD(WINAPI* g_tls_alloc)() = nullptr;

// Making a slot takes a while here, so that threads meet while one is made.
DWORD WINAPI SlowTlsAlloc() {
  Sleep(20);
  return g_tls_alloc();
}

TEST(RuntimeThreads, TheThreadRecordSlotIsMadeOnceWhenThreadsStartTogether) {
  testing::ImportHook hook("kernel32.dll", "TlsAlloc", reinterpret_cast<void*>(SlowTlsAlloc));
  ASSERT_TRUE(hook.installed());
  g_tls_alloc = reinterpret_cast<DWORD(WINAPI*)()>(hook.original());
  RuntimeState& rt = Runtime();
  const uint32_t saved_index = rt.tls_index;
  constexpr int kThreads = 4, kRounds = 5;
  int lost = 0;
  for (int round = 0; round < kRounds; ++round) {
    rt.tls_allocated = false;
    std::atomic<int> ready{0}, checked{0};
    std::atomic<bool> go{false};
    std::atomic<int> round_lost{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&] {
        ++ready;
        while (!go) {
        }
        ThreadRecord* mine = ThreadRecordGet();
        ++checked;
        while (checked < kThreads) Sleep(0);
        if (!mine || ThreadRecordPeek() != mine) ++round_lost;
      });
    while (ready < kThreads) Sleep(0);
    go = true;
    for (std::thread& thread : threads) thread.join();
    lost += round_lost;
  }
  rt.tls_index = saved_index;
  rt.tls_allocated = true;
  EXPECT_EQ(lost, 0);
}

// ShutDown frees the start-up thread's record while other threads may still start and copy its
// settings from it. Here a thread makes its own record the start-up record and frees it, again
// and again, while another starts afresh; freed records are filled with 0xCC first, so a copy
// from a freed record shows.
HGLOBAL(WINAPI* g_global_free)(HGLOBAL) = nullptr;

HGLOBAL WINAPI PoisoningGlobalFree(HGLOBAL block) {
  if (block) std::memset(block, 0xCC, GlobalSize(block));
  return g_global_free(block);
}

TEST(RuntimeThreads, ThreadsStartingWhileTheStartUpRecordIsFreedNeverCopyIt) {
  RuntimeState& rt = Runtime();
  ThreadRecord* main = rt.main_record;
  testing::ImportHook hook("kernel32.dll", "GlobalFree", reinterpret_cast<void*>(PoisoningGlobalFree));
  ASSERT_TRUE(hook.installed());
  g_global_free = reinterpret_cast<HGLOBAL(WINAPI*)(HGLOBAL)>(hook.original());
  std::atomic<bool> stop{false};
  std::atomic<long> poisoned{0}, starts{0};
  std::thread releaser([&] {
    while (!stop) {
      ThreadRecord* record = ThreadRecordGet();
      record->settings[1] = 7;
      rt.main_record = record;  // as StartUp does
      ThreadRecordRelease();    // as ShutDown does
    }
  });
  std::thread starter([&] {
    while (!stop) {
      ThreadRecord* record = ThreadRecordGet();
      if (record->settings[0] == static_cast<int32_t>(0xCCCCCCCC)) ++poisoned;
      ThreadRecordRelease();
      ++starts;
    }
  });
  Sleep(1500);
  stop = true;
  releaser.join();
  starter.join();
  rt.main_record = main;
  EXPECT_EQ(poisoned.load(), 0) << "of " << starts.load() << " starts";
  EXPECT_GT(starts.load(), 0);
}

// A program's CreateThread thread that used the run-time ends beside a run-time thread: 300
// rounds of the two released together (tests/runtime/thread_end_probe.cpp), each thread given
// 2 s to end. The probe's exit code names a pair that stuck.
TEST(RuntimeThreads, ProgramThreadsEndBesideRunTimeThreads) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"thread_end_probe.exe";
  std::wstring line = L"\"" + path + L"\" 300 mixed create library";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 0xDEAD);
  DWORD code = 0xDEAD;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "10: mixed, 13: create, 14: library";
}

}  // namespace
}  // namespace qv
