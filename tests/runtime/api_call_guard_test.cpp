#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cfenv>
#include <thread>
#include <vector>

#include "error.h"
#include "frame.h"
#include "runtime_state.h"
#include "win32/api_call_guard.h"

namespace qv {
namespace {

TEST(ApiCallGuard, FailureIsDecidedByTheLastErrorAlone) {
  HANDLE first = CreateEventW(nullptr, TRUE, FALSE, L"qv-guard-test-event");
  ASSERT_NE(first, nullptr);
  // Succeeds, but leaves ERROR_ALREADY_EXISTS behind: counts as failed, error 75.
  auto second = ApiCallGuard(CreateEventW, nullptr, TRUE, FALSE, L"qv-guard-test-event");
  EXPECT_NE(second.value, nullptr);
  EXPECT_TRUE(second.failed);
  EXPECT_EQ(second.platform_code, static_cast<uint32_t>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(second.error, 75);
  EXPECT_EQ(second.combined(), (183u << 16) | 75u);
  CloseHandle(second.value);
  CloseHandle(first);

  auto missing = ApiCallGuard(GetFileAttributesW, L"Z:\\no\\such\\file.qv");
  EXPECT_TRUE(missing.failed);
  EXPECT_EQ(missing.error, 76);  // path not found

  // A last error left from before the call is cleared first, so it does not count.
  SetLastError(ERROR_ACCESS_DENIED);
  auto fine = ApiCallGuard(GetCurrentProcessId);
  EXPECT_FALSE(fine.failed);
  EXPECT_EQ(fine.error, 0);
}

TEST(ApiCallGuard, TheLockedFormHoldsTheLockButLeavesTheLastErrorAlone) {
  SetLastError(ERROR_ACCESS_DENIED);
  bool held = false;
  DWORD seen = 0;
  ApiCallLocked([&] {
    held = Runtime().api_lock.held();
    seen = GetLastError();
    SetLastError(ERROR_FILE_NOT_FOUND);
  });
  EXPECT_TRUE(held);
  EXPECT_FALSE(Runtime().api_lock.held());
  EXPECT_EQ(seen, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ApiCallGuard, RaiseIfFailedRecordsTheMappedNumber) {
  ProcedureFrame frame;
  auto r = ApiCallGuard(CloseHandle, reinterpret_cast<HANDLE>(0x1234));
  EXPECT_TRUE(RaiseIfFailed(r));
  EXPECT_EQ(ErrorNumber(), 57);  // ERROR_INVALID_HANDLE
}

TEST(ApiCallGuard, FloatingPointStateAndErrorModeSurviveTheCall) {
  std::fesetround(FE_TONEAREST);
  UINT mode_before = SetErrorMode(0);
  SetErrorMode(mode_before);
  auto changes_rounding = [] {
    std::fesetround(FE_UPWARD);
    return GetErrorMode();
  };
  auto r = ApiCallGuard(changes_rounding);
  EXPECT_EQ(r.value, static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_EQ(GetErrorMode(), mode_before);
}

TEST(ApiCallGuard, GuardedCallsNeverOverlap) {
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  auto body = [&] {
    if (inside.fetch_add(1) != 0) overlapped = true;
    Sleep(0);
    inside.fetch_sub(1);
    return 0;
  };
  // The guarded and the locked form exclude each other as well.
  std::thread a([&] {
    for (int i = 0; i < 2000; ++i) ApiCallGuard(body);
  });
  std::thread b([&] {
    for (int i = 0; i < 2000; ++i) ApiCallLocked(body);
  });
  a.join();
  b.join();
  EXPECT_FALSE(overlapped);
}

// Threads waiting for a guarded call that blocks (a device call, a round trip to the Wine
// server) leave the processor to it: on a machine with few cores, spinning waiters starved the
// holder and the server it waited for, and a 300 ms call held the others for seconds.
TEST(ApiCallGuard, WaitersLeaveTheProcessorToABlockedCall) {
  std::atomic<bool> holding{false};
  std::thread holder([&] {
    ApiCallGuard([&] {
      holding = true;
      Sleep(300);
      return 0;
    });
  });
  while (!holding) Sleep(1);
  std::vector<std::thread> waiters;
  std::vector<double> cpu_ms(4);
  for (size_t i = 0; i < cpu_ms.size(); ++i)
    waiters.emplace_back([&, i] {
      ApiCallGuard(::GetTickCount);
      FILETIME created, ended, kernel, user;
      GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
      auto ms = [](const FILETIME& t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
      cpu_ms[i] = ms(kernel) + ms(user);
    });
  holder.join();
  for (std::thread& t : waiters) t.join();
  double total = 0;
  for (double ms : cpu_ms) total += ms;
  EXPECT_LT(total, 60.0) << "processor time of four threads waiting about 300 ms each";
}

}  // namespace
}  // namespace qv
