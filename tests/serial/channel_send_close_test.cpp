#include <gtest/gtest.h>

#include "fake_device.h"
#include "serial.h"
#include "string_ops.h"

namespace qv::testing {
namespace {

using ChannelSendTest = FakeDeviceTest;
using ChannelCloseTest = FakeDeviceTest;

TEST_F(ChannelSendTest, WritesTheTextAndCountsInTheChannelsUnits) {
  const ChannelNumber n = Open();
  PushBytes(std::string_view("hello\x00\xFF", 7));
  EXPECT_EQ(ChannelSend(n), 7);
  EXPECT_EQ(dev.written, std::string("hello\x00\xFF", 7));

  // A UTF-16 channel gets byte text converted, and counts units.
  const ChannelNumber w = Open(0x10E9);
  dev.written.clear();
  PushBytes("AB");
  EXPECT_EQ(ChannelSend(w), 2);
  EXPECT_EQ(dev.written, std::string("A\0B\0", 4));

  // Wide text goes out as it is on a UTF-16 channel, as ANSI bytes on a byte channel.
  dev.written.clear();
  PushWide(u"Hi");
  EXPECT_EQ(ChannelSendWide(w), 2);
  EXPECT_EQ(dev.written, std::string("H\0i\0", 4));
  dev.written.clear();
  PushWide(u"Hi!");
  EXPECT_EQ(ChannelSendWide(n), 3);
  EXPECT_EQ(dev.written, "Hi!");
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(frame.operands().depth(), 0);
}

TEST_F(ChannelSendTest, EmptyTextShortWritesAndFailures) {
  const ChannelNumber n = Open();
  PushBytes("");
  EXPECT_EQ(ChannelSend(n), 0);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_TRUE(dev.written.empty());

  dev.write_limit = 3;
  PushBytes("abcdef");
  EXPECT_EQ(ChannelSend(n), 3);
  EXPECT_EQ(ErrorTake(), 24);

  const ChannelNumber w = Open(0x10E9);
  dev.write_limit = 5;  // two and a half units
  PushWide(u"xyz");
  EXPECT_EQ(ChannelSendWide(w), 2);
  EXPECT_EQ(ErrorTake(), 24);

  dev.write_limit = 0xFFFFFFFF;
  dev.fail_write = true;
  PushBytes("abc");
  EXPECT_EQ(ChannelSend(n), 0);
  EXPECT_EQ(ErrorTake(), 24);

  // The text is consumed on every path.
  PushBytes("abc");
  EXPECT_EQ(ChannelSend(4321), 0);
  EXPECT_EQ(ErrorTake(), 52);
  const ChannelNumber file = Open(0x01E1);
  PushWide(u"abc");
  EXPECT_EQ(ChannelSendWide(file), 0);
  EXPECT_EQ(ErrorTake(), 54);
  EXPECT_EQ(frame.operands().depth(), 0);
}

// Sends convert with the thread's code page, the one the program's byte text is in (the system
// ANSI code page unless the program chose another). A text that cannot be converted is not
// sent: the count is 0 and the short write is reported (24).
TEST_F(ChannelSendTest, ConversionsUseTheThreadsCodePageAndAFailedOneIsAShortWrite) {
  const ChannelNumber n = Open();
  const ChannelNumber w = Open(0x10E9);
  const uint32_t previous = CodePageSet(CP_UTF8);
  PushBytes("\xC3\xA9!");
  EXPECT_EQ(ChannelSend(w), 2);
  EXPECT_EQ(dev.written, std::string("\xE9\0!\0", 4));
  dev.written.clear();
  PushWide(u"\u00E9");
  EXPECT_EQ(ChannelSendWide(n), 2);
  EXPECT_EQ(dev.written, "\xC3\xA9");
  EXPECT_EQ(ErrorTake(), 0);

  dev.written.clear();
  const int writes = dev.calls_of("WriteFile");
  CodePageSet(0xFFFF);  // no such code page: every conversion fails
  PushBytes("abc");
  EXPECT_EQ(ChannelSend(w), 0);
  EXPECT_EQ(ErrorTake(), 24);
  PushWide(u"abc");
  EXPECT_EQ(ChannelSendWide(n), 0);
  EXPECT_EQ(ErrorTake(), 24);
  EXPECT_TRUE(dev.written.empty());
  EXPECT_EQ(dev.calls_of("WriteFile"), writes);
  EXPECT_EQ(frame.operands().depth(), 0);
  CodePageSet(previous);
}

TEST_F(ChannelCloseTest, CloseRemovesTheChannelAndItsHandle) {
  const ChannelNumber n = Open();
  dev.Arrive("leftover");
  ChannelReceive(n, 1);
  PopDiscard();
  HANDLE h = ChannelFind(n)->handle;
  const int calls = dev.device_calls();
  ChannelClose(n, 0);
  EXPECT_EQ(ChannelFind(n), nullptr);
  EXPECT_EQ(dev.closed, (std::vector<HANDLE>{h}));
  EXPECT_EQ(dev.device_calls(), calls + 1);  // no purge, no line changes first
  ChannelClose(n, 0);  // twice: nothing
  ChannelClose(31000, 0);
  EXPECT_EQ(dev.closed.size(), 1u);
  EXPECT_EQ(ErrorNumber(), 0);

  // Reopened, the port comes back under the next number, with an empty buffer.
  const ChannelNumber again = Open();
  EXPECT_GT(again, n);
  EXPECT_EQ(ChannelFind(again)->buffered, 0u);
}

TEST_F(ChannelCloseTest, ClassMaskAndFailingCloses) {
  const ChannelNumber n = Open();
  ChannelClose(n, 0x01);
  EXPECT_EQ(ErrorTake(), 54);
  EXPECT_NE(ChannelFind(n), nullptr);
  ChannelClose(n, 0x30);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_EQ(ChannelFind(n), nullptr);

  const ChannelNumber m = Open();
  dev.fail_close = true;  // ERROR_INVALID_HANDLE
  ChannelClose(m, 0);
  EXPECT_EQ(ErrorTake(), 57);
  EXPECT_EQ(ChannelFind(m), nullptr);

  const ChannelNumber a = Open(), b = Open(), c = Open();
  ChannelCloseAll();
  EXPECT_EQ(ErrorTake(), 57);
  EXPECT_EQ(ChannelFind(a), nullptr);
  EXPECT_EQ(ChannelFind(b), nullptr);
  EXPECT_EQ(ChannelFind(c), nullptr);
  EXPECT_EQ(dev.closed.size(), 5u);
  EXPECT_TRUE(ChannelTableNumbers().empty());
}

TEST_F(ChannelCloseTest, FlushIsNothingForSerialChannels) {
  const ChannelNumber n = Open();
  const int calls = dev.device_calls();
  ChannelFlush(n);
  ChannelFlush(30999);
  ChannelFlushAll();
  EXPECT_EQ(dev.device_calls(), calls);
  EXPECT_EQ(ErrorNumber(), 0);
  Open(0x01E1);  // a file kind is flushed
  ChannelFlushAll();
  EXPECT_EQ(dev.calls_of("FlushFileBuffers"), 1);
}

}  // namespace
}  // namespace qv::testing
