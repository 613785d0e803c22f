#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "brush_sharing.h"
#include "window_record.h"

namespace qv {
namespace {

// Whether a brush handle is a live solid brush of the colour.
bool LiveBrushOf(HBRUSH brush, int32_t colour) {
  LOGBRUSH info{};
  return brush && GetObjectW(brush, sizeof info, &info) == sizeof info && info.lbStyle == BS_SOLID &&
         info.lbColor == static_cast<COLORREF>(colour);
}

HANDLE FakeHandle(int thread, int slot) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7100000 + thread * 0x10000 + slot * 4));
}

TEST(BrushSharing, RecordsOfOneColourShareOneBrushUntilTheLastGoes) {
  HANDLE a = FakeHandle(9, 1), b = FakeHandle(9, 2), c = FakeHandle(9, 3);
  for (HANDLE h : {a, b, c}) ASSERT_NE(RecordCreate(h, nullptr, 0, 5), nullptr);
  ASSERT_TRUE(RecordColoursExchange(a, 0, 0x010203));
  ASSERT_TRUE(RecordColoursExchange(b, 0, 0x010203));
  HBRUSH shared = RecordFind(a)->background_brush;
  EXPECT_EQ(RecordFind(b)->background_brush, shared);
  EXPECT_TRUE(LiveBrushOf(shared, 0x010203));
  // A surface of that back colour paints with the same brush.
  ASSERT_TRUE(RecordGraphicBrushExchange(c, 0x010203, 0x010203));
  EXPECT_EQ(RecordFind(c)->graphic_brush, shared);

  ASSERT_TRUE(RecordColoursExchange(a, 0, -2));  // a lets go: no brush for transparent
  EXPECT_EQ(RecordFind(a)->background_brush, nullptr);
  RecordDestroy(b);
  EXPECT_TRUE(LiveBrushOf(shared, 0x010203));  // c still holds it
  ASSERT_TRUE(RecordGraphicBrushExchange(c, 0x0A0B0C, 0x0A0B0C));
  EXPECT_EQ(GetObjectType(shared), 0u);
  EXPECT_TRUE(LiveBrushOf(RecordFind(c)->graphic_brush, 0x0A0B0C));
  EXPECT_FALSE(RecordColoursExchange(b, 0, 1));  // no record any more
  RecordDestroy(a);
  RecordDestroy(c);
}

// Threads make, recolour and destroy records (without windows) of a few colours for a second,
// so that the brush one of them is about to share is often the one another is giving up. Every record must
// hold a live brush of its own colour whenever its owner looks.
TEST(BrushSharing, ConcurrentRecordsNeverHoldADeletedBrush) {
  constexpr int kThreads = 4, kSlots = 3;
  constexpr DWORD kMilliseconds = 1000;
  const int32_t colours[] = {0x102030, 0x405060, 0x708090};
  int32_t records = RecordCount();
  std::atomic<int> failures{0}, done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      DWORD start = GetTickCount();
      for (int round = 0; GetTickCount() - start < kMilliseconds && failures == 0; ++round) {
        HANDLE handle = FakeHandle(t, round % kSlots);
        if (!RecordCreate(handle, nullptr, 0, 26)) {
          ++failures;
          break;
        }
        int32_t colour = colours[(round + t) % 3];
        int32_t back = colours[(round + t + 1) % 3];
        RecordColoursExchange(handle, 0, colour);
        RecordGraphicBrushExchange(handle, static_cast<COLORREF>(back), back);
        WindowRecord* record = RecordFind(handle);
        if (!record || !LiveBrushOf(record->background_brush, colour) || !LiveBrushOf(record->graphic_brush, back))
          ++failures;
        RecordDestroy(handle);
      }
      ++done;
    });
  }
  // A watchdog: a lost wake-up or a stuck lock shows as a failure, not as a hung test program.
  for (int waited = 0; done < kThreads && waited < 120000; waited += 10) Sleep(10);
  if (done != kThreads) {
    for (std::thread& thread : threads) thread.detach();
    FAIL() << "the threads did not finish";
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(RecordCount(), records);
}

}  // namespace
}  // namespace qv
