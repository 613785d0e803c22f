// Channels used by several threads at once, on the fake device (directly, and beneath the
// receive-queue layer): a sender and a receiver share one channel while two more threads open,
// use and close the same pair of numbers against each other. A watchdog ends the program if
// anything hangs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "fake_device.h"
#include "serial.h"

namespace qv::testing {
namespace {

constexpr auto kStressTime = std::chrono::seconds(2);
constexpr auto kWatchdogTime = std::chrono::seconds(90);

// Ends the whole program when the test does not finish in time: a hung thread cannot be joined.
class Watchdog {
 public:
  Watchdog()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          if (!done_cv_.wait_for(lock, kWatchdogTime, [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: the channel threads hung\n");
            std::fflush(stderr);
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

// The stream the sender writes: position i holds a byte that depends on i, so a lost,
// doubled or swapped piece shows.
char StreamByte(uint64_t i) { return static_cast<char>((i * 131) ^ (i >> 8) ^ (i >> 16)); }

// Waits (in real time) until the fake device has seen `more` further calls of `name`.
bool WaitForCalls(FakeDevice& dev, const std::string& name, int more) {
  int start = 0;
  {
    auto lock = dev.Lock();
    start = dev.calls_of(name);
  }
  const ULONGLONG end = GetTickCount64() + 20'000;
  while (GetTickCount64() < end) {
    {
      auto lock = dev.Lock();
      if (dev.calls_of(name) >= start + more) return true;
    }
    std::this_thread::yield();
  }
  return false;
}

using ChannelCloseThreadsTest = FakeDeviceTest;

// A receive without a wait limit polls a device that stays silent; another thread closes the
// channel. The receive ends with what it gathered, and the device is closed only after its
// last call: no call ever reaches a closed handle.
TEST_F(ChannelCloseThreadsTest, ACloseEndsAReceiveWaitingOnAnotherThread) {
  Watchdog watchdog;
  const ChannelNumber n = Open();
  const HANDLE h = ChannelFind(n)->handle;
  dev.Arrive("abc");
  std::string got;
  uint8_t error = 0;
  std::thread receiver([&] {
    ProcedureFrame f;
    ChannelReceive(n, 10);
    got = PopBytes();
    error = ErrorTake();
  });
  ASSERT_TRUE(WaitForCalls(dev, "ClearCommError", 20));  // it is waiting
  {
    auto lock = dev.Lock();
    dev.clear_error_delay_ms = 50;  // the close comes while a poll of the device is under way
  }
  ::Sleep(120);
  ChannelClose(n, 0);
  EXPECT_EQ(ErrorTake(), 0);
  receiver.join();
  EXPECT_EQ(got, "abc");
  EXPECT_EQ(error, 52);
  auto lock = dev.Lock();
  EXPECT_EQ(dev.closed, (std::vector<HANDLE>{h}));
  EXPECT_EQ(dev.foreign_handle_calls, 0);
}

// A receive whose data never stops coming (a slow device that always holds more) meets a close
// from another thread: it ends at its next wait with the bytes gathered, in order, instead of
// holding the close until it has its whole count.
TEST_F(ChannelCloseThreadsTest, ACloseEndsAReceiveThatKeepsGettingData) {
  const ChannelNumber n = Open();
  constexpr uint32_t kCount = 8u << 20;  // at 512 bytes per millisecond, 16 s
  std::string stream(kCount, '\0');
  for (uint32_t i = 0; i < kCount; ++i) stream[i] = StreamByte(i);
  dev.Arrive(stream);
  {
    auto lock = dev.Lock();
    dev.clear_error_delay_ms = 1;
  }
  std::string got;
  uint8_t error = 0;
  std::thread receiver([&] {
    ProcedureFrame f;
    ChannelReceive(n, kCount);
    got = PopBytes();
    error = ErrorTake();
  });
  ASSERT_TRUE(WaitForCalls(dev, "ReadFile", 20));  // it is gathering
  std::atomic<bool> closed{false};
  std::thread closer([&] {
    ProcedureFrame f;
    ChannelClose(n, 0);
    closed = true;
  });
  const ULONGLONG end = GetTickCount64() + 3000;
  while (!closed && GetTickCount64() < end) ::Sleep(5);
  EXPECT_TRUE(closed) << "the close waited for the whole receive";
  if (!closed) {
    auto lock = dev.Lock();
    dev.fail_clear_error = true;  // ends the receive, so the threads can be joined
  }
  closer.join();
  receiver.join();
  EXPECT_EQ(error, 52);
  EXPECT_LT(got.size(), kCount);
  EXPECT_TRUE(got == stream.substr(0, got.size()));
}

// Two threads closing the same channel at the same moment: one closes it, the other finds it
// gone; the device is closed once.
TEST_F(ChannelCloseThreadsTest, TwoThreadsClosingOneChannelCloseItOnce) {
  Watchdog watchdog;
  for (int round = 0; round < 200; ++round) {
    const ChannelNumber n = Open();
    ASSERT_GT(n, 0);
    std::atomic<int> ready{0};
    auto close = [&] {
      ProcedureFrame f;
      ++ready;
      while (ready < 2) std::this_thread::yield();
      ChannelClose(n, 0);
      if (ErrorTake() != 0) ADD_FAILURE() << "close raised an error";
    };
    std::thread a(close), b(close);
    a.join();
    b.join();
    EXPECT_EQ(ChannelFind(n), nullptr);
  }
  auto lock = dev.Lock();
  EXPECT_EQ(dev.closed.size(), 200u);
  EXPECT_EQ(dev.foreign_handle_calls, 0);
}

class ChannelThreadsTest : public ::testing::TestWithParam<FakeDevice::Layer> {};

TEST_P(ChannelThreadsTest, SendReceiveAndCloseOnSharedNumbers) {
  Watchdog watchdog;
  FakeDevice dev(GetParam());
  ProcedureFrame frame;

  const ChannelNumber data = ChannelNextFree();
  PushWide(u"COM3");
  ChannelOpen(data, kOpenModeSerialExclusive, kSerialRecordLength);
  ASSERT_EQ(ErrorTake(), 0);
  {
    auto lock = dev.Lock();
    dev.data_handle = ChannelFind(data)->handle;  // its writes come back as received bytes
    dev.keep_written = false;
  }

  std::atomic<bool> stop{false};
  std::atomic<uint64_t> sent_total{0};
  std::atomic<bool> sending_done{false};
  std::atomic<int> bad_sends{0}, bad_receives{0}, unexpected_errors{0}, churn_rounds{0};
  std::string received;

  std::thread sender([&] {
    ProcedureFrame f;
    uint64_t next = 0;
    uint32_t seed = 7;
    while (!stop) {
      seed = seed * 1103515245u + 12345u;
      const size_t size = 1 + (seed >> 16) % 700;
      std::string piece(size, '\0');
      for (size_t i = 0; i < size; ++i) piece[i] = StreamByte(next + i);
      PushBytes(piece);
      if (ChannelSend(data) != static_cast<int32_t>(size) || ErrorTake() != 0) ++bad_sends;
      next += size;
    }
    sent_total = next;
    sending_done = true;
  });

  std::thread receiver([&] {
    ProcedureFrame f;
    while (!(sending_done && received.size() >= sent_total)) {
      const int32_t waiting = ChannelQuery(kItemBytesWaiting, data);
      if (ErrorTake() != 0) ++bad_receives;
      if (waiting <= 0) {
        std::this_thread::yield();
        continue;
      }
      ChannelReceive(data, waiting);
      received += PopBytes();
      if (ErrorTake() != 0) ++bad_receives;
    }
  });

  // Both churn threads work on the numbers 200 and 201: each open, use and close may meet the
  // other thread's close of the same number.
  auto churn = [&] {
    ProcedureFrame f;
    auto check = [&](std::initializer_list<uint8_t> allowed) {
      const uint8_t error = ErrorTake();
      if (std::find(allowed.begin(), allowed.end(), error) == allowed.end()) {
        std::fprintf(stderr, "unexpected error %u\n", error);
        ++unexpected_errors;
      }
    };
    while (!stop) {
      for (ChannelNumber k : {ChannelNumber{200}, ChannelNumber{201}}) {
        PushWide(k == 200 ? u"COM20" : u"COM21");
        ChannelOpen(k, kOpenModeSerialExclusive, kSerialRecordLength);
        check({0, 55, 69});  // 69: the layer still has the other thread's device open
        ChannelSetWaitLimit(k, 3);
        check({0, 52});
        ChannelQuery(kItemBytesWaiting, k);
        check({0, 52});
        PushBytes("ping");
        ChannelSend(k);
        check({0, 52});
        ChannelReceive(k, 1);  // nothing comes: the wait runs out, or the other thread closes
        PopDiscard();
        check({24, 52});
        ChannelClose(k, 0);
        check({0});
      }
      ++churn_rounds;
    }
  };
  std::thread churn_a(churn), churn_b(churn);

  std::this_thread::sleep_for(kStressTime);
  stop = true;
  for (std::thread* t : {&sender, &churn_a, &churn_b, &receiver}) t->join();

  EXPECT_EQ(bad_sends, 0);
  EXPECT_EQ(bad_receives, 0);
  EXPECT_EQ(unexpected_errors, 0);
  EXPECT_GT(churn_rounds, 0);
  ASSERT_EQ(received.size(), sent_total.load());
  size_t first_wrong = received.size();
  for (size_t i = 0; i < received.size() && first_wrong == received.size(); ++i)
    if (received[i] != StreamByte(i)) first_wrong = i;
  EXPECT_EQ(first_wrong, received.size()) << "of " << received.size() << " bytes";
  std::printf("%llu bytes through one channel, %d open-use-close rounds on shared numbers\n",
              static_cast<unsigned long long>(sent_total.load()), churn_rounds.load());

  ChannelClose(data, 0);
  EXPECT_EQ(ErrorTake(), 0);
  auto lock = dev.Lock();
  // A drain that a close gave up waiting for (a busy machine) closes its handle itself, soon.
  dev.arrived.wait_for(lock, std::chrono::seconds(5), [&] { return dev.open_handles.empty(); });
  EXPECT_EQ(dev.foreign_handle_calls, 0);  // no call on a closed handle, no double close
  EXPECT_TRUE(dev.open_handles.empty());
}

INSTANTIATE_TEST_SUITE_P(Devices, ChannelThreadsTest,
                         ::testing::Values(FakeDevice::Layer::kNone, FakeDevice::Layer::kReceiveQueue),
                         [](const auto& info) {
                           return info.param == FakeDevice::Layer::kNone ? "Direct" : "ReceiveQueue";
                         });

}  // namespace
}  // namespace qv::testing
