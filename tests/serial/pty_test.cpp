// Channels on real pseudo-terminals under Wine, served by tools/virtual_serial.py: each port
// is a pty pair whose slave end is linked as a COM name in the Wine prefix, and the tool drives
// the master end on request.
//
// Under Wine the channels reach the pty through the receive-queue layer (queued_comm_api.h).
// What Wine's serial layer reports on a pty, and what the layer makes of it:
// - GetFileType: FILE_TYPE_CHAR; GetCommState succeeds, SetCommState reaches the tty's termios.
// - GetCommProperties: Wine reports current queues of 4096 bytes whatever SetupComm asked for
//   (its SetupComm changes nothing); the layer reports its own receive queue's size instead.
// - GetCommModemStatus fails with ERROR_NOT_SUPPORTED (50): the modem-line queries raise 75.
// - ClearCommError fills only the queue counts (FIONREAD and TIOCOUTQ) and never reports an
//   error bit, so line errors are covered on the fake device instead. After a hang-up it fails
//   (ERROR_NOT_READY).
// - A second CreateFileW of an open port with share mode 0 succeeds in Wine, which checks
//   sharing for files only; the layer refuses it, as a Windows serial driver does.
// - The tty holds at most 4095 unread bytes; the layer's queue takes whole bursts.
// - 7 data bits are sometimes refused, sometimes accepted without effect; parity is accepted
//   but does not stick (a pty is always 8 bits without parity); two stop bits stick. An unsupported speed (12345) is accepted and
//   reads back as 38400.
// - A pty holds at most 4095 unread bytes; larger bursts are covered on the fake device.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "error.h"
#include "frame.h"
#include "hour_clock.h"
#include "comm_api.h"
#include "queued_comm_api.h"
#include "receive_queue.h"
#include "serial.h"
#include "string_ops.h"
#include "virtual_serial_client.h"

namespace qv::testing {
namespace {

constexpr int kGenerousMs = 10'000;

std::string Pattern(size_t n, int salt = 0) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 13 + salt) ^ (i >> 8));
  return s;
}

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!VirtualSerial::Available()) GTEST_SKIP() << "needs tools/virtual_serial.py";
    const std::vector<std::string> ports = VirtualSerial::Ports();
    ASSERT_GE(ports.size(), 3u);
    port_ = ports[0];
    spare_ = ports[1];
    hangup_ = ports[2];
    seam_hangup_ = ports.size() > 3 ? ports[3] : "";
    VirtualSerial::Flush(port_);
  }
  void TearDown() override { ChannelCloseAll(); }

  ChannelNumber Open(const std::string& port) {
    const ChannelNumber n = ChannelNextFree();
    static bool first_number = true;  // this process is new: numbering starts at 1
    if (first_number) {
      EXPECT_EQ(n, 1);
    }
    first_number = false;
    PushOwned(DynString::FromUnits(VirtualSerial::DeviceName(port)));
    ChannelOpen(n, kOpenModeSerialExclusive, kSerialRecordLength);
    return n;
  }

  // Polls item 20 until it shows `count` (the pty may deliver in steps); the last value seen.
  int32_t WaitForCount(ChannelNumber n, int32_t count) {
    int32_t seen = -1;
    const ULONGLONG end = GetTickCount64() + kGenerousMs;
    while (GetTickCount64() < end) {
      seen = ChannelQuery(kItemBytesWaiting, n);
      if (seen == count || ErrorNumber() != 0) break;
      Sleep(5);
    }
    return seen;
  }

  ProcedureFrame frame;
  std::string port_, spare_, hangup_, seam_hangup_;
};

TEST_F(PtyTest, OpenIsExclusiveAndNumbersGoForward) {
  const ChannelNumber n = Open(port_);
  ASSERT_EQ(ErrorTake(), 0);
  ASSERT_NE(ChannelFind(n), nullptr);
  EXPECT_EQ(ChannelFind(n)->kind, kKindOther);

  // Wine itself would grant a second open of the port despite share mode 0; the queue layer
  // refuses it, so the number stays free and the first channel keeps every byte.
  const ChannelNumber second = Open(port_);
  EXPECT_EQ(ErrorTake(), 69);
  EXPECT_EQ(ChannelFind(second), nullptr);
  EXPECT_NE(ChannelFind(n), nullptr);
  VirtualSerial::Feed(port_, "first");
  EXPECT_EQ(WaitForCount(n, 5), 5);
  ChannelReceive(n, 5);
  EXPECT_EQ(PopText().str(), "first");

  ChannelClose(n, 0);
  EXPECT_EQ(ErrorTake(), 0);
  const ChannelNumber again = Open(port_);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_GT(again, second);
  VirtualSerial::Feed(port_, "ok");
  EXPECT_EQ(WaitForCount(again, 2), 2);

  // A COM name with nothing behind it.
  PushOwned(DynString::FromUnits(u"\\\\.\\COM199"));
  ChannelOpen(ChannelNextFree(), kOpenModeSerialExclusive, kSerialRecordLength);
  EXPECT_EQ(ErrorTake(), 69);
}

TEST_F(PtyTest, TheApplicationsSettingsReachTheDevice) {
  const ChannelNumber n = Open(port_);
  ChannelSet(n, kItemBaudRate, 115200);
  ChannelSet(n, kItemReceiveQueue, 20000);
  ChannelSet(n, kItemBreak, 0);
  ASSERT_EQ(ErrorTake(), 0);
  EXPECT_EQ(ChannelQuery(kItemBaudRate, n), 115200);
  ChannelSet(n, kItemStopBits, TWOSTOPBITS);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(ChannelQuery(kItemStopBits, n), TWOSTOPBITS);
  std::vector<long> line = VirtualSerial::Settings(port_);
  ASSERT_EQ(line.size(), 5u);
  EXPECT_EQ(line[0], 115200);
  EXPECT_EQ(line[1], 115200);
  EXPECT_EQ(line[2], 8);
  EXPECT_EQ(line[4], 1);

  // A pty is always 8 bits wide. Wine sometimes refuses 7 data bits (error 5) and sometimes
  // accepts them without effect; the channel reads back what the device really has.
  ChannelSet(n, kItemDataBits, 7);
  const uint8_t seven_bits = ErrorTake();
  EXPECT_TRUE(seven_bits == 0 || seven_bits == 5) << int(seven_bits);
  EXPECT_EQ(ChannelQuery(kItemDataBits, n), 8);
  EXPECT_EQ(VirtualSerial::Settings(port_).at(2), 8);

  // Wine runs a tty it cannot set to a speed at 38400 and reports success, and takes speed 0
  // (a hang-up on a tty); the channel refuses both and the line keeps its speed.
  for (int32_t speed : {1, 0, -1}) {
    ChannelSet(n, kItemBaudRate, speed);
    EXPECT_EQ(ErrorTake(), 5) << speed;
    EXPECT_EQ(ChannelQuery(kItemBaudRate, n), 115200) << speed;
    EXPECT_EQ(VirtualSerial::Settings(port_).at(0), 115200) << speed;
  }

  ChannelSet(n, kItemBaudRate, 9600);
  ChannelSet(n, kItemStopBits, ONESTOPBIT);
  EXPECT_EQ(ErrorTake(), 0);
  line = VirtualSerial::Settings(port_);
  ASSERT_EQ(line.size(), 5u);
  EXPECT_EQ(line[0], 9600);
  EXPECT_EQ(line[4], 0);
  EXPECT_EQ(ChannelQuery(kItemBaudRate, n), 9600);
}

TEST_F(PtyTest, WhatWineReportsOnAPseudoTerminal) {
  const ChannelNumber n = Open(port_);
  EXPECT_EQ(ChannelQuery(kItemReceiveQueue, n), 4096);
  ChannelSet(n, kItemReceiveQueue, 20000);
  EXPECT_EQ(ErrorTake(), 0);
  const int32_t rx = ChannelQuery(kItemReceiveQueue, n);
  const int32_t tx = ChannelQuery(kItemTransmitQueue, n);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(rx, 20000);
  EXPECT_EQ(tx, 4096);
  EXPECT_EQ(ChannelQuery(kItemBreak, n), 0);
  EXPECT_EQ(ChannelQuery(kItemBytesToSend, n), 0);
  EXPECT_EQ(ErrorTake(), 0);
  for (int32_t item : {kItemCts, kItemDsr, kItemRing, kItemCarrier}) {
    EXPECT_EQ(ChannelQuery(item, n), 0);
    EXPECT_EQ(ErrorTake(), 75) << "item " << item;
  }
}

TEST_F(PtyTest, ReceivesHandOutBytesInArrivalOrder) {
  const ChannelNumber n = Open(port_);
  const std::string hundred = Pattern(100, 1);
  VirtualSerial::Feed(port_, hundred);
  ASSERT_EQ(WaitForCount(n, 100), 100);
  ChannelReceive(n, 100);
  EXPECT_EQ(PopText().str(), hundred);
  EXPECT_EQ(ChannelFind(n)->buffered, 0u);

  // 600 bytes: two fills, 512 then 88.
  const std::string six_hundred = Pattern(600, 2);
  VirtualSerial::Feed(port_, six_hundred);
  ASSERT_EQ(WaitForCount(n, 600), 600);
  ChannelReceive(n, 600);
  EXPECT_EQ(PopText().str(), six_hundred);

  // 40 of 100: the other 60 are read ahead and still counted.
  VirtualSerial::Feed(port_, hundred);
  ASSERT_EQ(WaitForCount(n, 100), 100);
  ChannelReceive(n, 40);
  EXPECT_EQ(PopText().str(), hundred.substr(0, 40));
  EXPECT_EQ(ChannelFind(n)->buffered, 60u);
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 60);
  VirtualSerial::Feed(port_, "12345");
  EXPECT_EQ(WaitForCount(n, 65), 65);
  ChannelReceive(n, 65);
  EXPECT_EQ(PopText().str(), hundred.substr(40) + "12345");
  EXPECT_EQ(ErrorNumber(), 0);
}

// More than the tty holds, written at once: the queue takes it all, and one receive hands it
// out in order. At the queue's size draining stops and the tty keeps the rest.
TEST_F(PtyTest, BurstsLargerThanTheTtyArriveWhole) {
  const ChannelNumber n = Open(port_);
  ChannelSet(n, kItemReceiveQueue, 20000);
  ASSERT_EQ(ErrorTake(), 0);
  const std::string burst = Pattern(20000, 5);
  VirtualSerial::Feed(port_, burst);
  ASSERT_EQ(WaitForCount(n, 20000), 20000);
  ChannelReceive(n, 20000);
  EXPECT_EQ(PopText().str(), burst);
  EXPECT_EQ(ErrorTake(), 0);

  const std::string more = Pattern(22000, 6);
  VirtualSerial::Feed(port_, more);
  ASSERT_EQ(WaitForCount(n, 20000), 20000);
  Sleep(500);
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 20000);  // full: no more drained
  EXPECT_EQ(VirtualSerial::Waiting(port_), 2000);         // the tty holds the rest
  ChannelReceive(n, 20000);
  EXPECT_EQ(PopText().str(), more.substr(0, 20000));
  ASSERT_EQ(WaitForCount(n, 2000), 2000);
  ChannelReceive(n, 2000);
  EXPECT_EQ(PopText().str(), more.substr(20000));
  EXPECT_EQ(ErrorTake(), 0);
}

// Bursts from a line paced as a real one at 9600 and 115200 baud (a byte every millisecond, or
// a dozen): the drain takes them as they come, and they arrive whole and in order.
TEST_F(PtyTest, PacedBurstsArriveWholeAndInOrder) {
  const ChannelNumber n = Open(port_);
  ChannelSet(n, kItemReceiveQueue, 20000);
  ASSERT_EQ(ErrorTake(), 0);
  for (auto [baud, size] : {std::pair<uint32_t, size_t>{9600, 1500}, {115200, 20000}}) {
    const std::string burst = Pattern(size, static_cast<int>(baud % 97));
    VirtualSerial::FeedPaced(port_, baud, burst);
    ASSERT_EQ(WaitForCount(n, static_cast<int32_t>(size)), static_cast<int32_t>(size)) << baud;
    ChannelReceive(n, static_cast<int32_t>(size));
    EXPECT_TRUE(PopText().str() == burst) << baud;
    EXPECT_EQ(ErrorTake(), 0) << baud;
  }
}

TEST_F(PtyTest, APurgeEmptiesTheQueueAndTheTty) {
  const ChannelNumber n = Open(port_);
  ChannelSet(n, kItemReceiveQueue, 20000);
  VirtualSerial::Feed(port_, Pattern(6000, 7));
  ASSERT_EQ(WaitForCount(n, 6000), 6000);
  EXPECT_TRUE(Comm().PurgeComm(ChannelFind(n)->handle, PURGE_RXCLEAR));
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 0);
  VirtualSerial::Feed(port_, "after");
  ASSERT_EQ(WaitForCount(n, 5), 5);
  ChannelReceive(n, 5);
  EXPECT_EQ(PopText().str(), "after");
  EXPECT_EQ(ErrorTake(), 0);
}

TEST_F(PtyTest, LineReceiveLeavesTheRestBuffered) {
  const ChannelNumber n = Open(port_);
  VirtualSerial::Feed(port_, "AB\r\nCD");
  ASSERT_EQ(WaitForCount(n, 6), 6);
  ChannelReceiveLine(n);
  EXPECT_EQ(PopText().str(), "AB");
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_TRUE(ChannelFind(n)->flags & kFlagLineComplete);
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 2);
  ChannelReceive(n, 2);
  EXPECT_EQ(PopText().str(), "CD");
}

TEST_F(PtyTest, WaitLimitReturnsTheBytesThatCame) {
  const ChannelNumber n = Open(port_);
  ChannelSetWaitLimit(n, 1000);
  ASSERT_EQ(ErrorTake(), 0);
  const std::string ten = Pattern(10, 3);
  VirtualSerial::Feed(port_, ten);
  ASSERT_EQ(WaitForCount(n, 10), 10);
  // Timed on the receive's own clock: the tick count can lag the wall clock on a busy machine.
  const uint32_t start = HourClockNow();
  ChannelReceive(n, 20);
  const uint32_t took = (HourClockNow() + kHourMs - start) % kHourMs;
  EXPECT_EQ(PopText().str(), ten);
  EXPECT_EQ(ErrorTake(), 24);
  EXPECT_GE(took, 1000u);
  EXPECT_LT(took, uint32_t{kGenerousMs});
}

TEST_F(PtyTest, SendsArriveAtTheOtherEnd) {
  const ChannelNumber n = Open(port_);
  const std::string data = "hello\r\n" + Pattern(300, 4);
  PushOwned(DynString::FromBytes(data));
  EXPECT_EQ(ChannelSend(n), static_cast<int32_t>(data.size()));
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(VirtualSerial::Read(port_, data.size(), kGenerousMs), data);

  PushOwned(DynString::FromUnits(u"wide"));
  EXPECT_EQ(ChannelSendWide(n), 4);
  EXPECT_EQ(VirtualSerial::Read(port_, 4, kGenerousMs), "wide");
}

// Two COM names linked to one pty name one device: while it is open by one name, the other is
// refused too, so one drain gets every byte.
TEST_F(PtyTest, ADeviceIsOpenedOnceWhateverNameReachesIt) {
  VirtualSerial::Request("alias " + port_ + " COM51");
  const ChannelNumber n = Open(port_);
  ASSERT_EQ(ErrorTake(), 0);
  const ChannelNumber other = Open("COM51");
  EXPECT_EQ(ErrorTake(), 69);
  EXPECT_EQ(ChannelFind(other), nullptr);
  const std::string data = Pattern(3000, 8);
  VirtualSerial::Feed(port_, data);
  ASSERT_EQ(WaitForCount(n, 3000), 3000);
  ChannelReceive(n, 3000);
  EXPECT_TRUE(PopText().str() == data);
  ChannelClose(n, 0);
  const ChannelNumber again = Open("COM51");
  EXPECT_EQ(ErrorTake(), 0);
  VirtualSerial::Feed(port_, "alias");
  EXPECT_EQ(WaitForCount(again, 5), 5);
}

// The program reads back the time-outs the channel gave it; the device reads with the drain's,
// which bound every drain call, and writes with the program's.
TEST_F(PtyTest, TheProgramKeepsItsTimeoutsAndTheDeviceReadsWithTheDrains) {
  const ChannelNumber n = Open(port_);
  ChannelSet(n, kItemReceiveQueue, 20000);
  ChannelSetWaitLimit(n, 1000);
  ASSERT_EQ(ErrorTake(), 0);
  const HANDLE h = ChannelFind(n)->handle;
  COMMTIMEOUTS program{}, device{};
  ASSERT_TRUE(Comm().GetCommTimeouts(h, &program));
  ASSERT_TRUE(::GetCommTimeouts(h, &device));
  const DWORD expected_program[] = {1000, 0, 0, 1000, 0};
  const DWORD expected_device[] = {1, 0, ReceiveQueue::kDrainWaitMs, 1000, 0};
  const DWORD got_program[] = {program.ReadIntervalTimeout, program.ReadTotalTimeoutMultiplier,
                               program.ReadTotalTimeoutConstant, program.WriteTotalTimeoutMultiplier,
                               program.WriteTotalTimeoutConstant};
  const DWORD got_device[] = {device.ReadIntervalTimeout, device.ReadTotalTimeoutMultiplier,
                              device.ReadTotalTimeoutConstant, device.WriteTotalTimeoutMultiplier,
                              device.WriteTotalTimeoutConstant};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(got_program[i], expected_program[i]) << i;
    EXPECT_EQ(got_device[i], expected_device[i]) << i;
  }
  const std::string data = Pattern(5000, 9);
  VirtualSerial::Feed(port_, data);
  ASSERT_EQ(WaitForCount(n, 5000), 5000);
  ChannelReceive(n, 5000);
  EXPECT_TRUE(PopText().str() == data);
}

// The device calls beneath the receive-queue layer, with a request to the port's tool put
// exactly between the drain's status call that counted bytes and its read of them.
struct DrainSeam {
  CommApi real;
  std::string port, request;
  std::atomic<bool> armed{false}, counted{false}, done{false};
};
DrainSeam* g_seam = nullptr;

BOOL WINAPI SeamClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT status) {
  const BOOL ok = g_seam->real.ClearCommError(h, errors, status);
  if (ok && status && status->cbInQue > 0 && g_seam->armed) g_seam->counted = true;
  return ok;
}

BOOL WINAPI SeamReadFile(HANDLE h, LPVOID buffer, DWORD ask, LPDWORD got, LPOVERLAPPED o) {
  if (g_seam->counted.exchange(false) && g_seam->armed.exchange(false)) {
    VirtualSerial::Request(g_seam->request + " " + g_seam->port);
    g_seam->done = true;
  }
  return g_seam->real.ReadFile(h, buffer, ask, got, o);
}

// A hang-up (an unplugged adapter) or a flush (another program's purge) between the drain's
// status call and its read: the read ends within the drain's time-outs, and the close returns
// at once. Without time-outs of its own the drain's read would never return, nor the close.
TEST_F(PtyTest, ALineThatGoesAwayBetweenTheDrainsCallsCannotHoldTheClose) {
  if (seam_hangup_.empty()) GTEST_SKIP() << "needs a fourth port";
  for (const char* request : {"flush", "hangup"}) {
    DrainSeam seam;
    seam.port = std::string(request) == "flush" ? port_ : seam_hangup_;
    seam.request = request;
    g_seam = &seam;
    CommApi beneath = QueuedCommDeviceInstall(CommApi{});
    seam.real = beneath;
    CommApi wrapped = beneath;
    wrapped.ClearCommError = SeamClearCommError;
    wrapped.ReadFile = SeamReadFile;
    QueuedCommDeviceInstall(wrapped);

    const ChannelNumber n = Open(seam.port);
    ASSERT_EQ(ErrorTake(), 0) << request;
    seam.armed = true;
    VirtualSerial::Feed(seam.port, "counted, then gone");
    const ULONGLONG until = GetTickCount64() + kGenerousMs;
    while (!seam.done && GetTickCount64() < until) Sleep(1);
    ASSERT_TRUE(seam.done) << request;
    Sleep(ReceiveQueue::kDrainWaitMs / 2);  // the drain's read is under way

    std::atomic<bool> closed{false};
    std::thread closer([&] {
      ProcedureFrame f;
      ChannelClose(n, 0);
      closed = true;
    });
    const ULONGLONG started = GetTickCount64();
    while (!closed && GetTickCount64() - started < 1000) Sleep(1);
    if (!closed) {
      // The drain is stuck in the platform's read for good: nothing can end this process
      // cleanly, so the failure is told and the process ends here.
      ADD_FAILURE() << request << ": the close did not return within 1 s";
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 3);
    }
    closer.join();
    EXPECT_EQ(ChannelFind(n), nullptr);
    QueuedCommDeviceInstall(beneath);
    g_seam = nullptr;
  }
  // The flushed line still works.
  const ChannelNumber n = Open(port_);
  VirtualSerial::Feed(port_, "still here");
  EXPECT_EQ(WaitForCount(n, 10), 10);
}

// A sender that writes a burst and hangs up: the bytes already in the process are handed out,
// and only then does the line report its failure. The hang-up waits until the bytes have left
// the tty, since a hang-up flushes what the tty still holds.
TEST_F(PtyTest, BytesReceivedBeforeAHangUpAreKept) {
  const ChannelNumber n = Open(hangup_);
  ASSERT_EQ(ErrorTake(), 0);
  ChannelSet(n, kItemReceiveQueue, 20000);
  const std::string burst = Pattern(3000, 10);
  VirtualSerial::Feed(hangup_, burst);
  ASSERT_EQ(WaitForCount(n, 3000), 3000);
  VirtualSerial::HangUp(hangup_);
  Sleep(100);  // many polls of the drain: each now meets the hung-up line
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 3000);
  EXPECT_EQ(ErrorTake(), 0);
  ChannelReceive(n, 3000);
  EXPECT_TRUE(PopText().str() == burst);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(ChannelQuery(kItemBytesWaiting, n), 0);
  EXPECT_NE(ErrorTake(), 0);
}

// Runs last on the spare port: the line stays down. The receive ends on the failing device
// at once (69), not when its generous wait limit runs out (24).
TEST_F(PtyTest, AHungUpLineEndsTheReceiveWithWhatCame) {
  const ChannelNumber n = Open(spare_);
  ASSERT_EQ(ErrorTake(), 0);
  ChannelSetWaitLimit(n, 5000);
  VirtualSerial::Feed(spare_, "12345");
  ASSERT_EQ(WaitForCount(n, 5), 5);
  ChannelReceive(n, 2);
  EXPECT_EQ(PopText().str(), "12");
  VirtualSerial::HangUp(spare_);
  ChannelReceive(n, 10);
  const std::string rest = PopText().str();
  const uint8_t error = ErrorTake();
  EXPECT_EQ(rest, "345");
  EXPECT_EQ(error, 69);
  ChannelClose(n, 0);
  EXPECT_EQ(ChannelFind(n), nullptr);
}

}  // namespace
}  // namespace qv::testing
