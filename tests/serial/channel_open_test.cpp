#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "fake_device.h"
#include "serial.h"
#include "string_ops.h"

namespace qv::testing {
namespace {

using ChannelOpenTest = FakeDeviceTest;

TEST_F(ChannelOpenTest, NextFreeGoesForwardSkipsOpenNumbersAndWrapsToOne) {
  const ChannelNumber a = ChannelNextFree();
  EXPECT_EQ(ChannelNextFree(), a + 1);  // not reserved, but never handed out twice in a row
  if (a + 4 > INT16_MAX) GTEST_SKIP() << "counter too close to the wrap for this case";
  PushWide(u"COM3");
  ChannelOpen(ChannelNumber(a + 2), 0x10E1, 512);
  PushWide(u"COM3");
  ChannelOpen(ChannelNumber(a + 3), 0x10E1, 512);
  ASSERT_EQ(ErrorNumber(), 0);
  EXPECT_EQ(ChannelNextFree(), a + 4);

  // A closed number is not handed out again until the counter comes round.
  ChannelClose(ChannelNumber(a + 2), 0);
  EXPECT_EQ(ChannelNextFree(), a + 5);

  // Past 32767 the counter wraps to 1, skipping 1 while it is open.
  PushWide(u"COM3");
  ChannelOpen(1, 0x10E1, 512);
  while (ChannelNextFree() != INT16_MAX) {
  }
  EXPECT_EQ(ChannelNextFree(), 2);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelOpenTest, CreateFileGetsExactlyTheArgumentsOfTheMode) {
  ASSERT_GE(Open(0x10E1), 0);
  ASSERT_EQ(dev.opens.size(), 1u);
  const CreateFileCall& call = dev.opens[0];
  EXPECT_EQ(call.name, u"COM3");  // no prefix added
  EXPECT_EQ(call.access, 0xC0000000u);
  EXPECT_EQ(call.share, 0u);
  EXPECT_EQ(call.security_length, 12u);
  EXPECT_FALSE(call.has_descriptor);
  EXPECT_TRUE(call.inherit);
  EXPECT_EQ(call.disposition, DWORD{OPEN_EXISTING});
  EXPECT_EQ(call.flags, DWORD{FILE_ATTRIBUTE_NORMAL});
  EXPECT_EQ(call.template_file, nullptr);
  // The open configures nothing.
  EXPECT_EQ(dev.calls_of("SetCommState") + dev.calls_of("GetCommState"), 0);
  EXPECT_TRUE(dev.setup_calls.empty());

  // Read-only, share mode 3 (read | write), UTF-16.
  ASSERT_GE(Open(0x10AC), 0);
  EXPECT_EQ(dev.opens[1].access, DWORD{GENERIC_READ});
  EXPECT_EQ(dev.opens[1].share, 3u);
}

TEST_F(ChannelOpenTest, BadNamesFailWith64BeforeAnyDeviceCall) {
  for (std::u16string_view name : {std::u16string_view(), std::u16string_view(u"COM*"),
                                   std::u16string_view(u"C?M3"), std::u16string_view(u"COM3\0x", 6)}) {
    ErrorClear();
    const ChannelNumber n = ChannelNextFree();
    PushWide(name);
    ChannelOpen(n, 0x10E1, 512);
    EXPECT_EQ(ErrorNumber(), 64) << "name length " << name.size();
    EXPECT_EQ(ChannelFind(n), nullptr);
    EXPECT_EQ(frame.operands().depth(), 0);  // the name is consumed
  }
  EXPECT_EQ(dev.device_calls(), 0);
}

TEST_F(ChannelOpenTest, ArgumentErrorsAndNumberZero) {
  PushWide(u"COM3");
  ChannelOpen(-1, 0x10E1, 512);
  EXPECT_EQ(ErrorTake(), 52);
  PushWide(u"COM3");
  ChannelOpen(ChannelNextFree(), 0x10E1, 0);
  EXPECT_EQ(ErrorTake(), 5);
  EXPECT_EQ(dev.device_calls(), 0);

  PushWide(u"COM3");
  ChannelOpen(0, 0x10E1, 512);
  EXPECT_EQ(ErrorTake(), 0);
  EXPECT_NE(ChannelFind(0), nullptr);
}

TEST_F(ChannelOpenTest, OpeningAnOpenNumberFailsWith55AndLeavesItAlone) {
  const ChannelNumber n = Open();
  ASSERT_GE(n, 0);
  ChannelRecord* first = ChannelFind(n).get();
  dev.Arrive("xyz");
  ChannelReceive(n, 1);
  EXPECT_EQ(PopBytes(), "x");

  PushWide(u"COM4");
  ChannelOpen(n, 0x10E1, 512);
  EXPECT_EQ(ErrorTake(), 55);
  EXPECT_EQ(dev.opens.size(), 1u);
  EXPECT_EQ(ChannelFind(n).get(), first);
  EXPECT_EQ(first->name.wide(), u"COM3");
  EXPECT_EQ(first->buffered, 2u);
}

TEST_F(ChannelOpenTest, LongNamesAreCutTo255Units) {
  std::u16string name(300, u'A');
  name[254] = u'Z';
  name[280] = u'*';  // beyond the cut: not seen
  const ChannelNumber n = Open(0x10E1, 512, name);
  ASSERT_GE(n, 0);
  EXPECT_EQ(dev.opens.back().name, name.substr(0, 255));
  EXPECT_EQ(ChannelFind(n)->name.wide(), name.substr(0, 255));
}

TEST_F(ChannelOpenTest, DeviceFailuresLeaveNothingOpen) {
  // Whatever the platform's reason: missing, busy (held exclusively elsewhere), denied.
  dev.fail_open = true;
  for (DWORD reason : {DWORD{ERROR_FILE_NOT_FOUND}, DWORD{ERROR_SHARING_VIOLATION},
                       DWORD{ERROR_ACCESS_DENIED}}) {
    dev.open_error = reason;
    EXPECT_EQ(Open(), -1);
    EXPECT_EQ(ErrorTake(), 69) << reason;
  }

  // A disk file is closed again.
  dev.fail_open = false;
  dev.file_type = FILE_TYPE_DISK;
  const ChannelNumber n = ChannelNextFree();
  PushWide(u"C:\\data.bin");
  ChannelOpen(n, 0x10E1, 512);
  EXPECT_EQ(ErrorTake(), 69);
  EXPECT_EQ(ChannelFind(n), nullptr);
  EXPECT_TRUE(dev.open_handles.empty());

  // Pipes and unknown kinds count as devices.
  dev.file_type = FILE_TYPE_PIPE;
  EXPECT_GE(Open(), 0);
  dev.file_type = FILE_TYPE_UNKNOWN;
  EXPECT_GE(Open(), 0);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelOpenTest, ConcurrentOpensAndClosesKeepTheTableConsistent) {
  constexpr int kRounds = 300;
  std::vector<ChannelNumber> opened[2];
  auto worker = [&](int id) {
    ProcedureFrame own;
    for (int i = 0; i < kRounds; ++i) {
      const ChannelNumber n = ChannelNextFree();
      PushWide(u"COM3");
      ChannelOpen(n, 0x10E1, 64);
      // The number is not reserved: the other thread may have taken it first.
      if (ErrorTake() == 0) opened[id].push_back(n);
      if (i % 3 == 2 && !opened[id].empty()) {
        ChannelClose(opened[id].back(), 0);
        opened[id].pop_back();
      }
    }
  };
  std::thread a(worker, 0), b(worker, 1);
  a.join();
  b.join();
  std::set<ChannelNumber> expected(opened[0].begin(), opened[0].end());
  expected.insert(opened[1].begin(), opened[1].end());
  EXPECT_EQ(expected.size(), opened[0].size() + opened[1].size());  // never one number twice
  const std::vector<ChannelNumber> numbers = ChannelTableNumbers();
  EXPECT_EQ(std::set<ChannelNumber>(numbers.begin(), numbers.end()), expected);
  EXPECT_EQ(numbers.size(), expected.size());
  EXPECT_EQ(dev.open_handles.size(), expected.size());
}

}  // namespace
}  // namespace qv::testing
