// A fake serial device behind the comm-call table, for what a pseudo-terminal cannot show:
// line errors, failing reads and writes, refused settings, bursts above 4095 bytes, and time.
// Sleep advances a fake clock and delivers the bytes scheduled for that moment, so waits of
// seconds take no real time and never race.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "channel_record.h"
#include "comm_api.h"
#include "error.h"
#include "string_ops.h"
#include "frame.h"

namespace qv::testing {

struct CreateFileCall {
  std::u16string name;
  DWORD access = 0, share = 0, disposition = 0, flags = 0;
  DWORD security_length = 0;
  BOOL inherit = FALSE;
  bool has_descriptor = false;
  HANDLE template_file = nullptr;
};

class FakeDevice {
 public:
  FakeDevice();  // installs itself in the comm-call table
  ~FakeDevice();  // closes every channel left open, then restores the previous table
  FakeDevice(const FakeDevice&) = delete;
  FakeDevice& operator=(const FakeDevice&) = delete;

  static FakeDevice& Current();

  // Bytes the device has received and holds for reading.
  void Arrive(const std::string& bytes);
  // Bytes that arrive once the fake clock reaches `at_ms`.
  void ArriveAt(uint64_t at_ms, const std::string& bytes);
  uint64_t now_ms() const { return clock_ms; }
  // Sets the wall clock to mm:ss.mmm within the hour.
  void SetClock(uint32_t minute, uint32_t second, uint32_t millisecond);

  // Device state, set and inspected by the tests directly.
  std::deque<unsigned char> queue;
  DWORD out_queue = 0;
  DWORD pending_errors = 0;  // reported, then cleared, by the next ClearCommError
  DCB dcb{};
  DWORD rx_queue = 4096, tx_queue = 4096;
  DWORD modem_status = 0;
  DWORD file_type = FILE_TYPE_CHAR;
  COMMTIMEOUTS timeouts{};

  // Faults.
  bool fail_open = false;
  DWORD open_error = ERROR_FILE_NOT_FOUND;
  bool fail_close = false;
  bool fail_get_state = false;
  bool refuse_set_state = false;
  bool refuse_setup = false;
  bool refuse_escape = false;
  bool fail_modem_status = false;
  bool fail_timeouts = false;
  int fail_read_call = -1;         // index of the ReadFile call that fails (-1: none)
  DWORD read_failure_delivers = 0;  // bytes that failing call still hands over
  DWORD write_limit = 0xFFFFFFFF;  // bytes one WriteFile takes at most
  bool fail_write = false;

  // What was called.
  std::vector<CreateFileCall> opens;
  std::set<HANDLE> open_handles;
  std::vector<HANDLE> closed;
  std::vector<DWORD> read_asks;
  std::string written;
  std::vector<std::pair<DWORD, DWORD>> setup_calls;
  std::vector<DWORD> escapes;
  int set_state_calls = 0;
  int get_state_calls = 0;
  int clear_error_calls = 0;
  int flush_calls = 0;
  int device_calls() const;

  uint64_t clock_ms = 10ull * 3'600'000;  // 10:00:00.000
  struct Arrival {
    uint64_t at_ms;
    std::string bytes;
  };
  std::vector<Arrival> schedule;
  uintptr_t next_handle = 0x5E10;

  void Advance(uint64_t ms);

 private:
  CommApi previous_;
};

// Each test gets a fresh fake device and its own activation for error numbers.
class FakeDeviceTest : public ::testing::Test {
 protected:
  // Opens the fake device as the next free channel; the number, or -1 when the open failed.
  ChannelNumber Open(uint16_t mode = 0x10E1, int32_t record_length = 512,
                     std::u16string_view name = u"COM3");

  FakeDevice dev;
  ProcedureFrame frame;
};

// Test helpers around the operand stack.
void PushWide(std::u16string_view text);
void PushBytes(std::string_view text);
std::string PopBytes();
std::u16string PopWide();

}  // namespace qv::testing
