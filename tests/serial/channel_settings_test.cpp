#include <gtest/gtest.h>

#include "fake_device.h"
#include "serial.h"

namespace qv::testing {
namespace {

using ChannelSettingsTest = FakeDeviceTest;

TEST_F(ChannelSettingsTest, FlagItemsSetAndReadBackTheirOwnDcbFieldOnly) {
  const ChannelNumber n = Open();
  ASSERT_GE(n, 0);
  struct FlagItem {
    int32_t item;
    DWORD (*field)(const DCB&);
  };
  const FlagItem items[] = {
      {5, [](const DCB& d) -> DWORD { return d.fOutxCtsFlow; }},
      {7, [](const DCB& d) -> DWORD { return d.fOutxDsrFlow; }},
      {8, [](const DCB& d) -> DWORD { return d.fDsrSensitivity; }},
      {11, [](const DCB& d) -> DWORD { return d.fNull; }},
      {12, [](const DCB& d) -> DWORD { return d.fParity; }},
      {14, [](const DCB& d) -> DWORD { return d.fErrorChar; }},
  };
  for (const FlagItem& f : items) {
    const DCB before = dev.dcb;
    ChannelSet(n, f.item, 7);
    EXPECT_EQ(f.field(dev.dcb), 1u) << "item " << f.item;
    EXPECT_EQ(ChannelQuery(f.item, n), -1) << "item " << f.item;
    ChannelSet(n, f.item, 0);
    EXPECT_EQ(f.field(dev.dcb), 0u) << "item " << f.item;
    EXPECT_EQ(ChannelQuery(f.item, n), 0) << "item " << f.item;
    DCB after = dev.dcb;
    EXPECT_EQ(after.BaudRate, before.BaudRate);
    EXPECT_EQ(after.ByteSize, before.ByteSize);
    EXPECT_EQ(after.fBinary, before.fBinary);
  }
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelSettingsTest, ValueItemsAndDtrRtsCodes) {
  const ChannelNumber n = Open();
  ChannelSet(n, 1, 115200);
  EXPECT_EQ(dev.dcb.BaudRate, 115200u);
  EXPECT_EQ(ChannelQuery(1, n), 115200);
  ChannelSet(n, 13, 0x1FE);  // byte fields take the low 8 bits
  EXPECT_EQ(ChannelQuery(13, n), 0xFE);
  ChannelSet(n, 15, EVENPARITY);
  EXPECT_EQ(ChannelQuery(15, n), EVENPARITY);
  ChannelSet(n, 21, TWOSTOPBITS);
  EXPECT_EQ(ChannelQuery(21, n), TWOSTOPBITS);
  ChannelSet(n, 18, 7);
  EXPECT_EQ(dev.dcb.fRtsControl, 3u);
  EXPECT_EQ(ChannelQuery(18, n), 3);

  ChannelSet(n, 9, 1);
  EXPECT_EQ(dev.dcb.fDtrControl, DWORD{DTR_CONTROL_HANDSHAKE});
  EXPECT_EQ(ChannelQuery(9, n), -1);
  EXPECT_EQ(ChannelQuery(10, n), 0);
  ChannelSet(n, 10, 1);
  EXPECT_EQ(dev.dcb.fDtrControl, DWORD{DTR_CONTROL_ENABLE});
  EXPECT_EQ(ChannelQuery(9, n), 0);
  EXPECT_EQ(ChannelQuery(10, n), -1);
  dev.dcb.fDtrControl = 3;
  EXPECT_EQ(ChannelQuery(9, n), -1);
  EXPECT_EQ(ChannelQuery(10, n), -1);
  ChannelSet(n, 9, 0);
  EXPECT_EQ(dev.dcb.fDtrControl, DWORD{DTR_CONTROL_DISABLE});
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelSettingsTest, DataBitsAdjustStopBitsAndParity) {
  const ChannelNumber n = Open();
  dev.dcb.StopBits = TWOSTOPBITS;
  ChannelSet(n, 3, 5);
  EXPECT_EQ(dev.dcb.ByteSize, 5);
  EXPECT_EQ(dev.dcb.StopBits, ONE5STOPBITS);

  dev.dcb.StopBits = ONE5STOPBITS;
  ChannelSet(n, 3, 5);  // 1.5 is not above it: unchanged
  EXPECT_EQ(dev.dcb.StopBits, ONE5STOPBITS);

  for (int32_t bits : {6, 7}) {
    dev.dcb.StopBits = TWOSTOPBITS;
    dev.dcb.fParity = 1;
    dev.dcb.Parity = ODDPARITY;
    ChannelSet(n, 3, bits);
    EXPECT_EQ(dev.dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dev.dcb.fParity, 1u);  // parity stays below 8 bits
    EXPECT_EQ(dev.dcb.Parity, ODDPARITY);
  }
  ChannelSet(n, 3, 8);
  EXPECT_EQ(dev.dcb.ByteSize, 8);
  EXPECT_EQ(dev.dcb.fParity, 0u);
  EXPECT_EQ(dev.dcb.Parity, NOPARITY);
  EXPECT_EQ(ChannelQuery(3, n), 8);

  // The comparisons are unsigned: -1 counts as "8 or more".
  dev.dcb.fParity = 1;
  ChannelSet(n, 3, -1);
  EXPECT_EQ(dev.dcb.ByteSize, 0xFF);
  EXPECT_EQ(dev.dcb.fParity, 0u);
}

TEST_F(ChannelSettingsTest, FlowControlItems) {
  const ChannelNumber n = Open();
  for (int32_t item : {24, 25}) {
    for (int32_t v : {1, 0}) {
      dev.dcb.fTXContinueOnXoff = 1;
      ChannelSet(n, item, v);
      EXPECT_EQ(dev.dcb.fTXContinueOnXoff, 0u) << item << " " << v;
      EXPECT_EQ(ChannelQuery(item, n), v ? -1 : 0);
    }
  }
  dev.dcb.fOutxCtsFlow = dev.dcb.fOutxDsrFlow = dev.dcb.fDsrSensitivity = 1;
  dev.dcb.fTXContinueOnXoff = dev.dcb.fOutX = dev.dcb.fInX = 1;
  dev.dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
  dev.dcb.fRtsControl = RTS_CONTROL_TOGGLE;
  dev.dcb.fParity = 1;
  ChannelSet(n, 0, 12345);
  EXPECT_EQ(dev.dcb.fOutxCtsFlow | dev.dcb.fOutxDsrFlow | dev.dcb.fDsrSensitivity, 0u);
  EXPECT_EQ(dev.dcb.fTXContinueOnXoff | dev.dcb.fOutX | dev.dcb.fInX, 0u);
  EXPECT_EQ(dev.dcb.fDtrControl, DWORD{DTR_CONTROL_DISABLE});
  EXPECT_EQ(dev.dcb.fRtsControl, DWORD{RTS_CONTROL_DISABLE});
  EXPECT_EQ(dev.dcb.fParity, 1u);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelSettingsTest, BreakQueuesAndReadOnlyItems) {
  const ChannelNumber n = Open();
  ChannelSet(n, 2, 7);
  ChannelSet(n, 2, 0);
  EXPECT_EQ(dev.escapes, (std::vector<DWORD>{SETBREAK, CLRBREAK}));

  dev.tx_queue = 4096;
  ChannelSet(n, 19, 20000);
  ASSERT_EQ(dev.setup_calls.size(), 1u);
  EXPECT_EQ(dev.setup_calls[0], (std::pair<DWORD, DWORD>{20000, 4096}));
  EXPECT_EQ(ChannelQuery(19, n), 20000);
  ChannelSet(n, 22, 1024);
  EXPECT_EQ(dev.setup_calls[1], (std::pair<DWORD, DWORD>{20000, 1024}));
  EXPECT_EQ(ChannelQuery(22, n), 1024);

  const int calls = dev.device_calls();
  for (int32_t item : {4, 6, 16, 17, 20, 23}) ChannelSet(n, item, 1);
  EXPECT_EQ(dev.device_calls(), calls);
  EXPECT_EQ(ErrorNumber(), 0);
}

// A speed the device does not run at is refused (5) and the device keeps the speed it had,
// also when it reported success; no speed at all (0) never reaches the device.
TEST_F(ChannelSettingsTest, ASpeedTheDeviceDoesNotRunAtIsRefused) {
  const ChannelNumber n = Open();
  dev.fastest_speed = 4000000;
  struct Case {
    int32_t speed;
    uint8_t error;
    DWORD runs_at;
  } cases[] = {{115200, 0, 115200}, {4000000, 0, 4000000}, {4000001, 5, 4000000}, {-1, 5, 4000000},
               {0, 5, 4000000},     {9600, 0, 9600},       {INT32_MIN, 5, 9600}};
  for (const Case& c : cases) {
    const int set_calls = dev.calls["SetCommState"];
    ChannelSet(n, 1, c.speed);
    EXPECT_EQ(ErrorTake(), c.error) << c.speed;
    EXPECT_EQ(dev.dcb.BaudRate, c.runs_at) << c.speed;
    if (c.speed == 0) {
      EXPECT_EQ(dev.calls["SetCommState"], set_calls);
    }
  }
}

TEST_F(ChannelSettingsTest, RefusalsAndFailures) {
  const ChannelNumber n = Open();
  dev.refuse_set_state = true;
  ChannelSet(n, 1, 123);
  EXPECT_EQ(ErrorTake(), 5);
  EXPECT_EQ(dev.dcb.BaudRate, 9600u);
  dev.refuse_setup = true;
  ChannelSet(n, 19, 20000);
  EXPECT_EQ(ErrorTake(), 5);
  dev.refuse_escape = true;
  ChannelSet(n, 2, 0);
  EXPECT_EQ(ErrorTake(), 5);

  dev.fail_get_state = true;  // ERROR_INVALID_HANDLE, mapped
  ChannelSet(n, 1, 9600);
  EXPECT_EQ(ErrorTake(), 57);
  EXPECT_EQ(ChannelQuery(1, n), 0);
  EXPECT_EQ(ErrorTake(), 57);

  // A device that cannot report its queues: mapped errors, and no SetupComm on a guess.
  const uint8_t bad_command = MapPlatformError(ERROR_BAD_COMMAND);
  ASSERT_NE(bad_command, 0);
  dev.refuse_setup = false;
  dev.setup_calls.clear();
  dev.fail_properties = true;
  ChannelSet(n, 19, 20000);
  EXPECT_EQ(ErrorTake(), bad_command);
  EXPECT_TRUE(dev.setup_calls.empty());
  EXPECT_EQ(ChannelQuery(19, n), 0);
  EXPECT_EQ(ErrorTake(), bad_command);
  dev.fail_clear_error = true;
  for (int32_t item : {2, 20, 23}) {
    EXPECT_EQ(ChannelQuery(item, n), 0);
    EXPECT_EQ(ErrorTake(), bad_command) << item;
  }

  for (int32_t item : {26, -1, 1000}) {
    ChannelSet(n, item, 1);
    EXPECT_EQ(ErrorTake(), 5) << item;
  }
  for (int32_t item : {0, 26, -3}) {
    EXPECT_EQ(ChannelQuery(item, n), 0);
    EXPECT_EQ(ErrorTake(), 5) << item;
  }

  ChannelSet(12345, 1, 9600);
  EXPECT_EQ(ErrorTake(), 52);
  EXPECT_EQ(ChannelQuery(1, 12345), 0);
  EXPECT_EQ(ErrorTake(), 52);
}

TEST_F(ChannelSettingsTest, ModemLines) {
  const ChannelNumber n = Open();
  dev.modem_status = MS_CTS_ON | MS_RLSD_ON;
  EXPECT_EQ(ChannelQuery(4, n), -1);
  EXPECT_EQ(ChannelQuery(6, n), 0);
  EXPECT_EQ(ChannelQuery(16, n), 0);
  EXPECT_EQ(ChannelQuery(17, n), -1);
  dev.modem_status = MS_DSR_ON | MS_RING_ON;
  EXPECT_EQ(ChannelQuery(6, n), -1);
  EXPECT_EQ(ChannelQuery(16, n), -1);
  EXPECT_EQ(ErrorNumber(), 0);
  // As on Wine's serial layer over a pseudo-terminal: ERROR_NOT_SUPPORTED (50), mapped to 75.
  dev.fail_modem_status = true;
  EXPECT_EQ(ChannelQuery(4, n), 0);
  EXPECT_EQ(ErrorNumber(), 75);
}

TEST_F(ChannelSettingsTest, QueueCountsIncludeTheReadAheadAndCountUnitsOnWideChannels) {
  const ChannelNumber n = Open();
  dev.Arrive(std::string(13, 'q'));
  ChannelReceive(n, 3);  // reads all 13 ahead, hands out 3
  EXPECT_EQ(PopBytes(), "qqq");
  dev.Arrive(std::string(3, 'r'));
  EXPECT_EQ(ChannelQuery(20, n), 13);  // 10 buffered + 3 in the device

  const ChannelNumber w = Open(0x10E9);
  dev.queue.clear();
  dev.Arrive(std::string(10, 'w'));
  ChannelReceiveWide(w, 1);
  PopWide();
  dev.Arrive(std::string(5, 'x'));  // 8 buffered + 5 waiting = 13 bytes = 6 units
  EXPECT_EQ(ChannelQuery(20, w), 6);
  dev.out_queue = 9;
  EXPECT_EQ(ChannelQuery(23, w), 4);
  EXPECT_EQ(ChannelQuery(23, n), 9);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelSettingsTest, ALineErrorFailsExactlyOneStatusQuery) {
  const ChannelNumber n = Open();
  dev.Arrive("0123456789");
  for (DWORD error : {DWORD{CE_FRAME}, DWORD{CE_OVERRUN}, DWORD{CE_RXOVER}, DWORD{CE_TXFULL},
                      DWORD{CE_IOE}}) {
    for (int32_t item : {2, 20, 23}) {
      dev.pending_errors = error;
      EXPECT_EQ(ChannelQuery(item, n), 0);
      EXPECT_EQ(ErrorTake(), 57) << error << " item " << item;
    }
    EXPECT_EQ(ChannelQuery(20, n), 10);
    EXPECT_EQ(ErrorTake(), 0);
  }
  // Parity errors and breaks are no failure; a break shows in item 2.
  dev.pending_errors = CE_RXPARITY | CE_BREAK;
  EXPECT_EQ(ChannelQuery(2, n), -1);
  EXPECT_EQ(ChannelQuery(2, n), 0);
  dev.pending_errors = CE_RXPARITY;
  EXPECT_EQ(ChannelQuery(20, n), 10);
  EXPECT_EQ(ErrorNumber(), 0);
  // Only status queries read the mask.
  dev.pending_errors = CE_FRAME;
  EXPECT_EQ(ChannelQuery(1, n), 9600);
  EXPECT_EQ(ErrorNumber(), 0);
}

TEST_F(ChannelSettingsTest, WaitLimitSetsTheTimeouts) {
  const ChannelNumber n = Open();
  ChannelSetWaitLimit(n, 1000);
  EXPECT_EQ(ChannelFind(n)->wait_limit, 1000u);
  EXPECT_EQ(dev.timeouts.ReadIntervalTimeout, 1000u);
  EXPECT_EQ(dev.timeouts.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(dev.timeouts.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(dev.timeouts.WriteTotalTimeoutMultiplier, 1000u);
  EXPECT_EQ(dev.timeouts.WriteTotalTimeoutConstant, 0u);
  EXPECT_EQ(ErrorTake(), 0);

  dev.fail_timeouts = true;
  ChannelSetWaitLimit(n, 250);
  EXPECT_EQ(ErrorTake(), 69);
  EXPECT_EQ(ChannelFind(n)->wait_limit, 250u);  // stored even so

  ChannelSetWaitLimit(12345, 1);
  EXPECT_EQ(ErrorTake(), 52);
  const ChannelNumber other = Open(0x01E1);  // not the serial class
  ChannelSetWaitLimit(other, 1);
  EXPECT_EQ(ErrorTake(), 54);
}

}  // namespace
}  // namespace qv::testing
