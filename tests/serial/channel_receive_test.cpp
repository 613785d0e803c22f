#include <gtest/gtest.h>

#include "fake_device.h"
#include "serial.h"

namespace qv::testing {
namespace {

using ChannelReceiveTest = FakeDeviceTest;

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
  return s;
}

TEST_F(ChannelReceiveTest, ReadsOnlyWhatTheDeviceHoldsThroughTheBuffer) {
  const ChannelNumber n = Open();
  dev.Arrive(Pattern(100));
  ChannelReceive(n, 100);
  EXPECT_EQ(PopBytes(), Pattern(100));
  EXPECT_EQ(dev.read_asks, (std::vector<DWORD>{100}));
  EXPECT_EQ(ChannelFind(n)->buffered, 0u);

  dev.read_asks.clear();
  dev.Arrive(Pattern(600));
  ChannelReceive(n, 600);
  EXPECT_EQ(PopBytes(), Pattern(600));  // in arrival order
  EXPECT_EQ(dev.read_asks, (std::vector<DWORD>{512, 88}));
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelReceiveTest, BytesBeyondTheCountStayBufferedForTheNextReceive) {
  const ChannelNumber n = Open();
  const std::string burst = Pattern(100);
  dev.Arrive(burst);
  ChannelReceive(n, 40);
  EXPECT_EQ(PopBytes(), burst.substr(0, 40));
  EXPECT_EQ(ChannelFind(n)->buffered, 60u);
  dev.Arrive("abc");
  EXPECT_EQ(ChannelQuery(20, n), 63);
  ChannelReceive(n, 63);
  EXPECT_EQ(PopBytes(), burst.substr(40) + "abc");
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelReceiveTest, BurstsLargerThanAPseudoTerminalHolds) {
  const ChannelNumber n = Open();
  const std::string burst = Pattern(10000);
  dev.Arrive(burst);
  EXPECT_EQ(ChannelQuery(20, n), 10000);
  ChannelReceive(n, 10000);
  EXPECT_EQ(PopBytes(), burst);
  EXPECT_EQ(dev.read_asks.size(), 20u);  // 19 x 512 + 272
  EXPECT_EQ(dev.read_asks.back(), 272u);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelReceiveTest, RejectedReceivesMakeNoDeviceCall) {
  const ChannelNumber n = Open();
  const ChannelNumber w = Open(0x10E9);
  const ChannelNumber file = Open(0x01E1);
  const int calls = dev.device_calls();
  struct Case {
    void (*receive)(ChannelNumber, int32_t);
    ChannelNumber number;
    int32_t count;
    uint8_t error;
  };
  const Case cases[] = {
      {ChannelReceive, n, 0, 5},        {ChannelReceive, n, -5, 5},
      {ChannelReceive, w, 4, 5},        {ChannelReceive, 9999, 4, 52},
      {ChannelReceive, file, 4, 54},    {ChannelReceiveWide, n, 4, 5},
      {ChannelReceiveWide, w, 0, 5},
  };
  for (const Case& c : cases) {
    ErrorClear();
    c.receive(c.number, c.count);
    EXPECT_EQ(PopBytes(), "");
    EXPECT_EQ(ErrorNumber(), c.error);
  }
  ChannelReceiveLine(w);
  EXPECT_EQ(PopBytes(), "");
  EXPECT_EQ(ErrorTake(), 5);
  ChannelReceiveLineWide(n);
  EXPECT_EQ(PopBytes(), "");
  EXPECT_EQ(ErrorTake(), 5);
  EXPECT_EQ(dev.device_calls(), calls);
}

TEST_F(ChannelReceiveTest, WaitLimitEndsAShortReceiveWithTheBytesGathered) {
  const ChannelNumber n = Open();
  ChannelSetWaitLimit(n, 1000);
  dev.Arrive("0123456789");
  const uint64_t start = dev.now_ms();
  ChannelReceive(n, 20);
  EXPECT_EQ(PopBytes(), "0123456789");
  EXPECT_EQ(ErrorTake(), 24);
  EXPECT_GE(dev.now_ms() - start, 1000u);
  EXPECT_LE(dev.now_ms() - start, 1002u);

  // Nothing at all: an empty result after the limit.
  ChannelReceive(n, 1);
  EXPECT_EQ(PopBytes(), "");
  EXPECT_EQ(ErrorTake(), 24);
}

TEST_F(ChannelReceiveTest, TheLimitAppliesToEachWaitNotToTheWholeReceive) {
  const ChannelNumber n = Open();
  ChannelSetWaitLimit(n, 1000);
  const uint64_t start = dev.now_ms();
  for (int i = 1; i <= 5; ++i) dev.ArriveAt(start + 900u * i, std::string(1, char('0' + i)));
  ChannelReceive(n, 5);
  EXPECT_EQ(PopBytes(), "12345");
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(dev.now_ms() - start, 4500u);
}

TEST_F(ChannelReceiveTest, WithoutLimitAReceiveWaitsForAllItsBytes) {
  const ChannelNumber n = Open();
  const uint64_t start = dev.now_ms();
  dev.Arrive("ab");
  dev.ArriveAt(start + 30'000, "cd");
  dev.ArriveAt(start + 3'700'000, "e");  // more than an hour later
  ChannelReceive(n, 5);
  EXPECT_EQ(PopBytes(), "abcde");
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelReceiveTest, AWaitWhoseDeadlineFallsInTheNextHour) {
  const ChannelNumber n = Open();
  ChannelSetWaitLimit(n, 1000);
  dev.SetClock(59, 59, 500);
  const uint64_t start = dev.now_ms();
  ChannelReceive(n, 1);
  EXPECT_EQ(ErrorTake(), 24);
  EXPECT_GE(dev.now_ms() - start, 1000u);
  EXPECT_LE(dev.now_ms() - start, 1002u);
  PopDiscard();
}

// A device read that fails after bytes have left the device: they are handed out, with 69.
TEST_F(ChannelReceiveTest, AFailedReadHandsOutTheBytesGathered) {
  const ChannelNumber n = Open();
  dev.Arrive(Pattern(600));
  dev.fail_read_call = 1;  // the second fill
  ChannelReceive(n, 600);
  EXPECT_EQ(PopBytes(), Pattern(512));
  EXPECT_EQ(ErrorTake(), 69);
  // The rest is still in the device for the next receive.
  dev.fail_read_call = -1;
  ChannelReceive(n, 88);
  EXPECT_EQ(PopBytes(), Pattern(600).substr(512));
  EXPECT_EQ(ErrorTake(), 0);

  // Bytes a failing read still delivers are kept too.
  dev.read_asks.clear();
  dev.Arrive("0123456789");
  dev.fail_read_call = 0;
  dev.read_failure_delivers = 4;
  ChannelReceive(n, 10);
  EXPECT_EQ(PopBytes(), "0123");
  EXPECT_EQ(ErrorTake(), 69);
  dev.fail_read_call = -1;
  ChannelReceive(n, 6);
  EXPECT_EQ(PopBytes(), "456789");
  EXPECT_EQ(ErrorTake(), 0);
}

// A device that fails between the tool's queue query and its receive (unplugged, say) never
// delivers again: a receive without a wait limit must not poll it for ever.
TEST_F(ChannelReceiveTest, AFailingQueueQueryEndsAReceiveWithTheBytesGathered) {
  const ChannelNumber n = Open();
  const ChannelNumber w = Open(0x10E9);
  dev.Arrive("0123456789");
  ChannelReceive(n, 4);
  EXPECT_EQ(PopBytes(), "0123");  // 6 stay read ahead
  dev.fail_clear_error = true;
  ChannelReceive(n, 10);
  EXPECT_EQ(PopBytes(), "456789");
  EXPECT_EQ(ErrorTake(), 69);
  ChannelReceive(n, 1);
  EXPECT_EQ(PopBytes(), "");
  EXPECT_EQ(ErrorTake(), 69);

  // The line receives hand out their part of a line the same way.
  dev.fail_clear_error = false;
  dev.Arrive("xab\r");
  ChannelReceive(n, 1);  // reads all four ahead
  EXPECT_EQ(PopBytes(), "x");
  dev.fail_clear_error = true;
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), "ab");
  EXPECT_EQ(ErrorTake(), 69);

  dev.fail_clear_error = false;
  dev.Arrive(std::string("h\0i\0", 4));
  ChannelReceiveWide(w, 1);
  EXPECT_EQ(PopWide(), u"h");
  dev.fail_clear_error = true;
  ChannelReceiveLineWide(w);
  EXPECT_EQ(PopWide(), u"i");
  EXPECT_EQ(ErrorTake(), 69);
  ChannelReceiveWide(w, 2);
  EXPECT_EQ(PopWide(), u"");
  EXPECT_EQ(ErrorTake(), 69);
}

TEST_F(ChannelReceiveTest, AFailedReadInTheSiblingReceives) {
  const ChannelNumber n = Open();
  const ChannelNumber w = Open(0x10E9);
  dev.Arrive("AB");
  dev.fail_read_call = 1;
  dev.ArriveAt(dev.now_ms() + 5, "C\n");
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), "AB");
  EXPECT_EQ(ErrorTake(), 69);
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), "C");
  EXPECT_EQ(ErrorTake(), 0);

  dev.read_asks.clear();
  dev.Arrive(std::string("x\0y\0z", 5));
  dev.fail_read_call = 1;
  dev.ArriveAt(dev.now_ms() + 5, std::string("\0", 1));
  ChannelReceiveWide(w, 3);
  EXPECT_EQ(PopWide(), u"xy");
  EXPECT_EQ(ErrorTake(), 69);

  dev.read_asks.clear();
  dev.queue.clear();
  ChannelFind(w)->buffered = 0;
  dev.Arrive(std::string("h\0i\0", 4));
  dev.fail_read_call = 1;
  dev.ArriveAt(dev.now_ms() + 5, std::string("\n\0", 2));
  ChannelReceiveLineWide(w);
  EXPECT_EQ(PopWide(), u"hi");
  EXPECT_EQ(ErrorTake(), 69);
}

TEST_F(ChannelReceiveTest, LineReceiveStopsAtTheLineFeedAndDropsCarriageReturns) {
  const ChannelNumber n = Open();
  dev.Arrive("\x41\x42\x0D\x0A\x43\x44");
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), "AB");
  EXPECT_EQ(ErrorTake(), 0);
  ChannelRef record = ChannelFind(n);
  EXPECT_TRUE(record->flags & kFlagLineComplete);
  EXPECT_EQ(record->buffered, 2u);
  EXPECT_EQ(ChannelQuery(20, n), 2);

  // No line end within the wait: the part so far, error 24, flag clear.
  ChannelSetWaitLimit(n, 50);
  dev.Arrive("E\rF");
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), "CDEF");
  EXPECT_EQ(ErrorTake(), 24);
  EXPECT_FALSE(record->flags & kFlagLineComplete);

  // A line arriving in pieces is gathered across fills.
  dev.Arrive("12");
  dev.ArriveAt(dev.now_ms() + 40, "34\r\n5");
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), "1234");
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(record->buffered, 1u);
}

TEST_F(ChannelReceiveTest, LineReceiveConsumesAtMost512Bytes) {
  const ChannelNumber n = Open();
  ChannelSetWaitLimit(n, 10);
  std::string input = std::string(300, 'a') + "\r" + std::string(300, 'b') + "\n";
  dev.Arrive(input);
  ChannelReceiveLine(n);
  // 512 input bytes, one of them the CR: 511 stored, the rest stays.
  EXPECT_EQ(PopBytes(), std::string(300, 'a') + std::string(211, 'b'));
  EXPECT_EQ(ErrorTake(), 24);
  ChannelReceiveLine(n);
  EXPECT_EQ(PopBytes(), std::string(89, 'b'));
  EXPECT_EQ(ErrorTake(), 0);
}

TEST_F(ChannelReceiveTest, WideReceivesTakeWholeUnitsOnly) {
  const ChannelNumber w = Open(0x10E9);
  ChannelSetWaitLimit(w, 100);
  dev.Arrive(std::string("A\0B", 3));  // an odd byte waits for its partner
  ChannelReceiveWide(w, 2);
  EXPECT_EQ(PopWide(), u"A");
  EXPECT_EQ(ErrorTake(), 24);
  EXPECT_EQ(ChannelFind(w)->buffered, 1u);
  dev.Arrive(std::string("\0C\0", 3));
  ChannelReceiveWide(w, 2);
  EXPECT_EQ(PopWide(), u"BC");
  EXPECT_EQ(ErrorTake(), 0);

  const std::u16string text = u"x\u00E9\u4E2D\r\nrest";
  dev.Arrive(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
  ChannelReceiveLineWide(w);
  EXPECT_EQ(PopWide(), u"x\u00E9\u4E2D");
  EXPECT_EQ(ErrorTake(), 0);
  ChannelReceiveWide(w, 4);
  EXPECT_EQ(PopWide(), u"rest");
}

}  // namespace
}  // namespace qv::testing
