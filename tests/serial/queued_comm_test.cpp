// The receive-queue layer on the fake device, which then behaves as a tty under Wine: it holds
// at most 4095 bytes and keeps the sender waiting with the rest. The layer's drain thread runs
// for real, so these tests wait for conditions (with generous limits) rather than for times.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <random>
#include <thread>

#include "fake_device.h"
#include "queued_comm_api.h"
#include "receive_queue.h"
#include "serial.h"
#include "win32/api_call_guard.h"

namespace qv::testing {
namespace {

constexpr ULONGLONG kGenerousMs = 20'000;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

class QueuedDeviceTest : public FakeDeviceTest {
 protected:
  QueuedDeviceTest() : FakeDeviceTest(FakeDevice::Layer::kReceiveQueue) {
    dev.device_capacity = 4095;
  }

  // Polls item 20 until it shows `count`; the last value seen.
  int32_t WaitForCount(ChannelNumber n, int32_t count) {
    int32_t seen = -1;
    const ULONGLONG end = GetTickCount64() + kGenerousMs;
    while (GetTickCount64() < end) {
      seen = ChannelQuery(kItemBytesWaiting, n);
      if (seen == count || ErrorNumber() != 0) break;
      ::Sleep(2);
    }
    return seen;
  }

  // The count once it has not changed for `quiet_ms`: used once the count has reached what the
  // test expects, to see that it stays.
  int32_t SettledCount(ChannelNumber n, DWORD quiet_ms = 400) {
    int32_t last = ChannelQuery(kItemBytesWaiting, n);
    ULONGLONG since = GetTickCount64();
    const ULONGLONG end = since + kGenerousMs;
    while (GetTickCount64() < end && GetTickCount64() - since < quiet_ms) {
      ::Sleep(10);
      const int32_t now = ChannelQuery(kItemBytesWaiting, n);
      if (now != last) since = GetTickCount64();
      last = now;
    }
    return last;
  }

  HANDLE HandleOf(ChannelNumber n) { return ChannelFind(n)->handle; }
};

TEST_F(QueuedDeviceTest, ABurstLargerThanTheDeviceHoldsIsQueuedWholeAndInOrder) {
  const ChannelNumber n = Open();
  EXPECT_EQ(ChannelQuery(kItemReceiveQueue, n), 4096);  // as a driver starts
  ChannelSet(n, kItemReceiveQueue, 20000);
  ASSERT_EQ(ErrorTake(), 0);
  EXPECT_EQ(ChannelQuery(kItemReceiveQueue, n), 20000);
  {
    auto lock = dev.Lock();
    EXPECT_EQ(dev.setup_calls.back(), (std::pair<DWORD, DWORD>{20000, 4096}));
  }

  const std::string burst = RandomBytes(20000, 1);
  dev.Arrive(burst);
  ASSERT_EQ(WaitForCount(n, 20000), 20000);
  ChannelReceive(n, 20000);
  EXPECT_EQ(PopBytes(), burst);
  EXPECT_EQ(ErrorTake(), 0);

  // The device was never asked for more than a drain chunk, and nothing was left behind.
  auto lock = dev.Lock();
  for (DWORD ask : dev.read_asks) EXPECT_LE(ask, ReceiveQueue::kDrainChunk);
  EXPECT_TRUE(dev.queue.empty());
  EXPECT_TRUE(dev.held.empty());
}

TEST_F(QueuedDeviceTest, AFullQueueStopsDrainingAndLosesNothing) {
  const ChannelNumber n = Open();
  ChannelSet(n, kItemReceiveQueue, 20000);
  const std::string stream = RandomBytes(26000, 2);
  dev.Arrive(stream);
  // The count stops at the queue's size; the device holds what it can, the sender the rest.
  ASSERT_EQ(WaitForCount(n, 20000), 20000);
  EXPECT_EQ(SettledCount(n), 20000);
  {
    auto lock = dev.Lock();
    EXPECT_EQ(dev.queue.size(), 4095u);
    EXPECT_EQ(dev.held.size(), 26000u - 20000u - 4095u);
  }
  ChannelReceive(n, 20000);
  EXPECT_EQ(PopBytes(), stream.substr(0, 20000));
  ASSERT_EQ(WaitForCount(n, 6000), 6000);
  ChannelReceive(n, 6000);
  EXPECT_EQ(PopBytes(), stream.substr(20000));
  EXPECT_EQ(ErrorTake(), 0);
}

TEST_F(QueuedDeviceTest, TheQueueSizeFollowsSetupComm) {
  dev.device_capacity = 0xFFFFFFFF;
  const ChannelNumber n = Open();
  const std::string burst = RandomBytes(5000, 3);
  dev.Arrive(burst);
  ASSERT_EQ(WaitForCount(n, 4096), 4096);  // the initial size
  EXPECT_EQ(SettledCount(n), 4096);
  ChannelSet(n, kItemReceiveQueue, 8000);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(WaitForCount(n, 5000), 5000);

  // Shrunk below what it holds: nothing is dropped, and once the read in flight has ended
  // draining waits until there is room.
  ChannelSet(n, kItemReceiveQueue, 1000);
  EXPECT_EQ(ErrorTake(), 0);
  ::Sleep(2 * ReceiveQueue::kDrainWaitMs);
  dev.Arrive("tail");
  EXPECT_EQ(SettledCount(n), 5000);
  ChannelReceive(n, 4500);
  EXPECT_EQ(PopBytes(), burst.substr(0, 4500));
  EXPECT_EQ(WaitForCount(n, 504), 504);
  ChannelReceive(n, 504);
  EXPECT_EQ(PopBytes(), burst.substr(4500) + "tail");

  // Sizes no queue can have are refused, and the size stays.
  for (int32_t size : {0, -1}) {
    ChannelSet(n, kItemReceiveQueue, size);
    EXPECT_EQ(ErrorTake(), 5) << size;
  }
  EXPECT_EQ(ChannelQuery(kItemReceiveQueue, n), 1000);
  dev.refuse_setup = true;
  ChannelSet(n, kItemReceiveQueue, 3000);
  EXPECT_EQ(ErrorTake(), 5);
  EXPECT_EQ(ChannelQuery(kItemReceiveQueue, n), 1000);
}

TEST_F(QueuedDeviceTest, PurgeEmptiesTheQueueAndCloseStopsTheDrainFirst) {
  const ChannelNumber n = Open();
  const HANDLE h = HandleOf(n);
  dev.Arrive("abc");
  ASSERT_EQ(WaitForCount(n, 3), 3);
  dev.Arrive("xyz");  // just before the purge: gone too, in the device or in a read
  EXPECT_TRUE(Comm().PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR));
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 0);
  {
    auto lock = dev.Lock();
    EXPECT_EQ(dev.purges.back(), DWORD{PURGE_RXCLEAR | PURGE_TXCLEAR});
  }
  dev.Arrive("de");
  ASSERT_EQ(WaitForCount(n, 2), 2);
  ChannelReceive(n, 2);
  EXPECT_EQ(PopBytes(), "de");
  // A purge of the transmit side only leaves the queue alone.
  dev.Arrive("f");
  ASSERT_EQ(WaitForCount(n, 1), 1);
  EXPECT_TRUE(Comm().PurgeComm(h, PURGE_TXCLEAR));
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 1);

  ChannelClose(n, 0);
  EXPECT_EQ(ErrorTake(), 0);
  size_t reads_at_close = 0;
  {
    auto lock = dev.Lock();
    EXPECT_EQ(dev.closed, (std::vector<HANDLE>{h}));
    reads_at_close = dev.read_asks.size();
  }
  ::Sleep(2 * ReceiveQueue::kDrainWaitMs);
  auto lock = dev.Lock();
  EXPECT_EQ(dev.read_asks.size(), reads_at_close);  // no read after the close
  EXPECT_EQ(dev.foreign_handle_calls, 0);
}

TEST_F(QueuedDeviceTest, AFailedDeviceReadEndsReceivesOnceTheQueueIsEmpty) {
  const ChannelNumber n = Open();
  dev.Arrive("xy");
  ASSERT_EQ(WaitForCount(n, 2), 2);
  {
    auto lock = dev.Lock();
    dev.fail_read_call = static_cast<int>(dev.read_asks.size());  // the drain's next read
  }
  dev.Arrive("z");
  // What was queued before the failure is still handed out.
  ChannelReceive(n, 2);
  EXPECT_EQ(PopBytes(), "xy");
  EXPECT_EQ(ErrorTake(), 0);
  // Then a receive without a wait limit ends instead of waiting for ever.
  const ULONGLONG end = GetTickCount64() + kGenerousMs;
  uint8_t error = 0;
  while (GetTickCount64() < end && error == 0) {
    ChannelQuery(kItemBytesWaiting, n);
    error = ErrorTake();
  }
  EXPECT_NE(error, 0);
  ChannelReceive(n, 1);
  EXPECT_EQ(PopBytes(), "");
  EXPECT_EQ(ErrorTake(), 69);
}

TEST_F(QueuedDeviceTest, ASecondOpenOfTheSameDeviceIsRefused) {
  const ChannelNumber first = Open();
  ASSERT_GT(first, 0);
  for (std::u16string_view same : {u"COM3", u"\\\\.\\com3", u"com3:"}) {
    const ChannelNumber again = ChannelNextFree();
    PushWide(same);
    ChannelOpen(again, 0x10E1, 512);
    EXPECT_EQ(ErrorTake(), 69);
    EXPECT_EQ(ChannelFind(again), nullptr);
  }
  const ChannelNumber other = Open(0x10E1, 512, u"COM4");
  EXPECT_GT(other, 0);
  ChannelClose(first, 0);
  EXPECT_GT(Open(), 0);  // free again once closed
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(QueuedDeviceTest, LineErrorsAndTheTransmitSideStayTheDevices) {
  const ChannelNumber n = Open();
  {
    auto lock = dev.Lock();
    dev.pending_errors = CE_FRAME;
    dev.out_queue = 7;
  }
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 0);
  EXPECT_EQ(ErrorTake(), 57);
  EXPECT_EQ(ChannelQuery(kItemBytesToSend, n), 7);

  PushBytes("out");
  EXPECT_EQ(ChannelSend(n), 3);
  auto lock = dev.Lock();
  EXPECT_EQ(dev.written, "out");
}

TEST_F(QueuedDeviceTest, DevicesWithoutCommTimeoutsAreNotQueued) {
  dev.fail_timeouts = true;  // no comm time-outs: not a comm device, so no queue
  const ChannelNumber n = Open();
  ASSERT_GT(n, 0);
  dev.Arrive("plain");
  ChannelReceive(n, 5);
  EXPECT_EQ(PopBytes(), "plain");
  auto lock = dev.Lock();
  EXPECT_EQ(dev.read_asks, (std::vector<DWORD>{5}));
}

}  // namespace
}  // namespace qv::testing

namespace qv::testing {
namespace {

bool SameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
  return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
         a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
         a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
         a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
         a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

// The device reads with the drain's time-outs, which bound every drain call; the program reads
// back the driver's time-outs and then its own, and its write time-outs reach the device.
TEST_F(QueuedDeviceTest, TheProgramKeepsItsTimeoutsAndTheDeviceTheDrains) {
  const COMMTIMEOUTS driver{11, 12, 13, 14, 15};
  dev.timeouts = driver;
  const ChannelNumber n = Open();
  const HANDLE h = HandleOf(n);
  COMMTIMEOUTS seen{};
  ASSERT_TRUE(Comm().GetCommTimeouts(h, &seen));
  EXPECT_TRUE(SameTimeouts(seen, driver));
  {
    auto lock = dev.Lock();
    EXPECT_TRUE(SameTimeouts(dev.timeouts, ReceiveQueue::DrainTimeouts(driver)));
    EXPECT_EQ(dev.timeouts.ReadTotalTimeoutConstant, ReceiveQueue::kDrainWaitMs);
  }
  ChannelSetWaitLimit(n, 1000);
  EXPECT_EQ(ErrorTake(), 0);
  ASSERT_TRUE(Comm().GetCommTimeouts(h, &seen));
  EXPECT_TRUE(SameTimeouts(seen, COMMTIMEOUTS{1000, 0, 0, 1000, 0}));
  {
    auto lock = dev.Lock();
    EXPECT_TRUE(SameTimeouts(dev.timeouts, ReceiveQueue::DrainTimeouts(seen)));
    EXPECT_EQ(dev.timeouts.WriteTotalTimeoutMultiplier, 1000u);
  }
  dev.Arrive("de");  // the caller's time-outs do not hold the drain back
  ASSERT_EQ(WaitForCount(n, 2), 2);
  ChannelReceive(n, 2);
  EXPECT_EQ(PopBytes(), "de");
}

// An idle channel sleeps in the device: a few device calls a second, not a poll every few
// milliseconds, and a byte still reaches the queue at once.
TEST_F(QueuedDeviceTest, AnIdleChannelSleepsInTheDevice) {
  const ChannelNumber n = Open();
  ::Sleep(100);
  int before = 0;
  {
    auto lock = dev.Lock();
    before = dev.calls_of("ClearCommError") + dev.calls_of("ReadFile");
  }
  ::Sleep(1000);
  {
    auto lock = dev.Lock();
    const int calls = dev.calls_of("ClearCommError") + dev.calls_of("ReadFile") - before;
    EXPECT_LE(calls, 2 * 1000 / int(ReceiveQueue::kDrainWaitMs) + 2);
  }
  const ULONGLONG sent = GetTickCount64();
  dev.Arrive("x");
  ASSERT_EQ(WaitForCount(n, 1), 1);
  EXPECT_LT(GetTickCount64() - sent, ULONGLONG{ReceiveQueue::kDrainWaitMs});
}

// An open that gives up after the device opened (here: it turns out to be a disk) lets its drain
// go outside the open lock and the platform-call lock: other threads' guarded calls go on while
// it waits for the drain's device call.
TEST_F(QueuedDeviceTest, AnOpenThatGivesUpWaitsForItsDrainOutsideEveryLock) {
  std::atomic<bool> gave_up{false};
  {
    auto lock = dev.Lock();
    dev.hold_device = true;  // the drain's first call waits at the device
    dev.before_call = [&](const std::string& call) {
      if (call != "GetFileType") return;
      auto lock = dev.Lock();
      if (dev.calls_of("GetFileType") == 1) {  // the layer has seen a comm device; the channel will not
        dev.file_type = FILE_TYPE_DISK;
        gave_up = true;
      }
    };
  }
  std::atomic<bool> opened{false};
  std::thread opener([&] {
    ProcedureFrame f;
    EXPECT_EQ(Open(), -1);
    EXPECT_EQ(ErrorTake(), 69);
    opened = true;
  });
  const ULONGLONG until = GetTickCount64() + kGenerousMs;
  while (!gave_up && GetTickCount64() < until) ::Sleep(1);
  ::Sleep(50);  // the open now waits for its drain
  std::atomic<bool> called{false};
  std::thread other([&] {
    ApiCallGuard(::GetTickCount);
    called = true;
  });
  const ULONGLONG end = GetTickCount64() + ReceiveQueue::kStopWaitMs / 2;
  while (!called && GetTickCount64() < end) ::Sleep(1);
  EXPECT_TRUE(called) << "a guarded call waited for the failed open's drain";
  {
    auto lock = dev.Lock();
    dev.hold_device = false;
    dev.before_call = nullptr;
    dev.arrived.notify_all();
  }
  opener.join();
  other.join();
  auto lock = dev.Lock();
  dev.arrived.wait_for(lock, std::chrono::seconds(5), [&] { return dev.open_handles.empty(); });
  EXPECT_EQ(dev.closed.size(), 1u);
}

// Faults put exactly between two device calls of the drain. Whatever the line does there, the
// close returns within a second and holds no process-wide lock meanwhile, the device is closed
// once and can be opened again.
struct SeamFault {
  const char* name;
  const char* call;  // the device call the fault comes before
  bool after_count;  // only after a status call that counted bytes
  void (*act)(FakeDevice&);
};

void PrintTo(const SeamFault& fault, std::ostream* out) { *out << fault.name; }

const SeamFault kSeamFaults[] = {
    {"hang-up between status and read", "ReadFile", true, [](FakeDevice& d) { d.HangUp(); }},
    {"flush between status and read", "ReadFile", true, [](FakeDevice& d) { d.FlushInput(); }},
    {"hang-up between read and status", "ClearCommError", false, [](FakeDevice& d) { d.HangUp(); }},
    {"failing read", "ReadFile", true,
     [](FakeDevice& d) {
       auto lock = d.Lock();
       d.fail_read_call = static_cast<int>(d.read_asks.size());
     }},
    {"read slower than the close's bound", "ReadFile", false, [](FakeDevice&) { ::Sleep(1500); }},
    {"status call slower than the close's bound", "ClearCommError", false,
     [](FakeDevice&) { ::Sleep(1500); }},
};

class DrainSeamTest : public QueuedDeviceTest, public ::testing::WithParamInterface<SeamFault> {};

TEST_P(DrainSeamTest, TheCloseIsBoundedWhateverHappensBetweenTwoDrainCalls) {
  const SeamFault& fault = GetParam();
  const ChannelNumber n = Open();
  const HANDLE h = HandleOf(n);
  dev.Arrive("before");
  ASSERT_EQ(WaitForCount(n, 6), 6);
  const DWORD test_thread = GetCurrentThreadId();
  std::atomic<bool> fired{false};
  {
    auto lock = dev.Lock();
    dev.before_call = [&](const std::string& call) {
      if (fired || call != fault.call || GetCurrentThreadId() == test_thread) return;
      {
        auto lock = dev.Lock();
        if (fault.after_count && dev.last_count == 0) return;
      }
      fired = true;
      fault.act(dev);
    };
  }
  dev.Arrive("more");
  const ULONGLONG until = GetTickCount64() + kGenerousMs;
  while (!fired && GetTickCount64() < until) ::Sleep(1);
  ASSERT_TRUE(fired);

  std::atomic<bool> closed{false};
  std::thread closer([&] {
    ProcedureFrame f;
    ChannelClose(n, 0);
    closed = true;
  });
  const ULONGLONG started = GetTickCount64();
  while (!closed && GetTickCount64() - started < 1000) ::Sleep(1);
  EXPECT_TRUE(closed) << fault.name << ": the close did not return within 1 s";
  std::atomic<bool> called{false};
  std::thread other([&] {  // meanwhile no process-wide lock is held
    ApiCallGuard(::GetTickCount);
    called = true;
  });
  if (!closed) {  // let the stuck device go so that the test can end
    auto lock = dev.Lock();
    dev.hung_reads_end = true;
    dev.held.assign(8192, 'x');
    dev.Refill();
  }
  closer.join();
  other.join();
  EXPECT_TRUE(called);
  {
    auto lock = dev.Lock();
    dev.before_call = nullptr;
    dev.hung_up = false;
    dev.hung_reads_end = false;
    dev.fail_read_call = -1;
    dev.queue.clear();
    dev.held.clear();
    dev.arrived.wait_for(lock, std::chrono::seconds(5), [&] { return dev.open_handles.empty(); });
    EXPECT_EQ(std::count(dev.closed.begin(), dev.closed.end(), h), 1) << fault.name;
    EXPECT_EQ(dev.foreign_handle_calls, 0) << fault.name;
  }
  const ChannelNumber again = Open();
  ASSERT_GT(again, 0) << fault.name;
  dev.Arrive("after");
  EXPECT_EQ(WaitForCount(again, 5), 5) << fault.name;
}

INSTANTIATE_TEST_SUITE_P(Faults, DrainSeamTest, ::testing::ValuesIn(kSeamFaults),
                         [](const ::testing::TestParamInfo<SeamFault>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// Bytes the process already holds are handed out although the device has failed since (a hang-up,
// an unplug); the failure comes once they are gone.
TEST_F(QueuedDeviceTest, BytesQueuedBeforeTheDeviceFailsStillReachTheProgram) {
  const ChannelNumber n = Open();
  ChannelSet(n, kItemReceiveQueue, 20000);
  const std::string burst = RandomBytes(6000, 4);
  dev.Arrive(burst);
  ASSERT_EQ(WaitForCount(n, 6000), 6000);
  {
    auto lock = dev.Lock();
    dev.fail_clear_error = true;
  }
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 6000);
  EXPECT_EQ(ErrorTake(), 0);
  ChannelReceive(n, 6000);
  EXPECT_TRUE(PopBytes() == burst);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 0);
  EXPECT_NE(ErrorTake(), 0);
  ChannelReceive(n, 1);
  EXPECT_EQ(PopBytes(), "");
  EXPECT_EQ(ErrorTake(), 69);
}

// One device, two names (two DOS links to one tty): the second open is refused like a second
// open by the same name, and the first channel keeps every byte.
TEST_F(QueuedDeviceTest, ADeviceIsOpenedOnceWhateverNameReachesIt) {
  dev.final_paths = {{u"COM3", u"\\\\?\\Z:\\dev\\pts\\4"},
                     {u"COM5", u"\\\\?\\Z:\\dev\\pts\\4"},
                     {u"COM6", u"\\\\?\\Z:\\dev\\pts\\5"}};
  const ChannelNumber first = Open();
  ASSERT_GT(first, 0);
  EXPECT_EQ(Open(0x10E1, 512, u"COM5"), -1);
  EXPECT_EQ(ErrorTake(), 69);
  {
    auto lock = dev.Lock();
    EXPECT_EQ(dev.open_handles.size(), 1u);  // the second handle was closed again
  }
  const ChannelNumber other = Open(0x10E1, 512, u"COM6");
  EXPECT_GT(other, 0);
  ChannelClose(first, 0);
  EXPECT_GT(Open(0x10E1, 512, u"COM5"), 0);  // free again once closed
  EXPECT_EQ(ErrorNumber(), 0);
}

// The layer never drops a byte of its own (a full queue leaves the rest in the device), so it has
// no receive overrun to report; overruns and line errors the device reports reach the program
// exactly once although the drain polls the device's status meanwhile.
TEST_F(QueuedDeviceTest, OnlyTheDevicesOwnOverrunsAreReported) {
  const ChannelNumber n = Open();
  ChannelSet(n, kItemReceiveQueue, 4096);
  dev.Arrive(RandomBytes(9000, 5));
  ASSERT_EQ(WaitForCount(n, 4096), 4096);
  EXPECT_EQ(SettledCount(n), 4096);
  EXPECT_EQ(ErrorTake(), 0);
  for (DWORD mask : {DWORD{CE_RXOVER}, DWORD{CE_OVERRUN}, DWORD{CE_FRAME}}) {
    ChannelReceive(n, 100);  // room again: the drain goes on polling and reading
    PopBytes();
    {
      auto lock = dev.Lock();
      dev.pending_errors = mask;
    }
    ::Sleep(50);
    EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 0) << mask;
    EXPECT_EQ(ErrorTake(), 57) << mask;
    EXPECT_GT(ChannelQuery(kItemBytesWaiting, n), 0) << mask;
    EXPECT_EQ(ErrorTake(), 0) << mask;
  }
}

// A close waits for the drain's device call outside the process-wide platform-call lock: other
// threads' guarded calls go on meanwhile.
TEST_F(QueuedDeviceTest, ACloseWaitingForTheDrainHoldsNoPlatformLock) {
  const ChannelNumber n = Open();
  {
    auto lock = dev.Lock();
    dev.hold_device = true;
  }
  const ULONGLONG until = GetTickCount64() + kGenerousMs;
  for (;;) {  // the drain is inside a device call
    {
      auto lock = dev.Lock();
      if (dev.held_calls > 0) break;
    }
    ASSERT_LT(GetTickCount64(), until);
    ::Sleep(1);
  }
  std::atomic<bool> closed{false};
  std::thread closer([&] {
    ProcedureFrame f;
    ChannelClose(n, 0);
    closed = true;
  });
  ::Sleep(50);  // the close now waits for the drain
  std::atomic<bool> called{false};
  std::thread other([&] {
    ApiCallGuard(::GetTickCount);
    called = true;
  });
  const ULONGLONG end = GetTickCount64() + 2000;
  while (!called && GetTickCount64() < end) ::Sleep(1);
  EXPECT_TRUE(called) << "a guarded call waited for the close";
  EXPECT_FALSE(closed);
  {
    auto lock = dev.Lock();
    dev.hold_device = false;
    dev.arrived.notify_all();
  }
  closer.join();
  other.join();
  EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace qv::testing
