// A fake serial device behind the comm-call table, for what a pseudo-terminal cannot show:
// line errors, failing reads and writes, refused settings, bursts above 4095 bytes, and time.
// Sleep advances a fake clock and delivers the bytes scheduled for that moment, so waits of
// seconds take no real time and never race.
//
// It can also sit beneath the receive-queue layer, whose drain thread reads it: then it
// behaves as a tty does under Wine, holding at most `device_capacity` bytes (the sender waits
// with the rest) and letting a read with a total time-out wait, in real time, for the first
// byte. Every fake call takes `mutex`; a test that looks at the fields while a drain or other
// threads run takes Lock() first.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
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
  enum class Layer { kNone, kReceiveQueue };
  // Installs itself in the comm-call table, directly or beneath the receive-queue layer.
  explicit FakeDevice(Layer layer = Layer::kNone);
  ~FakeDevice();  // closes every channel left open, then restores the previous table
  FakeDevice(const FakeDevice&) = delete;
  FakeDevice& operator=(const FakeDevice&) = delete;

  static FakeDevice& Current();

  std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex); }

  // Bytes the device has received and holds for reading (beyond device_capacity: that the
  // sender holds back until reads make room).
  void Arrive(const std::string& bytes);
  // Bytes that arrive once the fake clock reaches `at_ms`.
  void ArriveAt(uint64_t at_ms, const std::string& bytes);
  uint64_t now_ms() const { return clock_ms; }
  // Sets the wall clock to mm:ss.mmm within the hour.
  void SetClock(uint32_t minute, uint32_t second, uint32_t millisecond);

  // Device state, set and inspected by the tests directly.
  std::deque<unsigned char> queue;
  DWORD device_capacity = 0xFFFFFFFF;
  std::deque<unsigned char> held;  // bytes the sender waits to put in
  // When set, only this handle's device receives (and its writes come back to it as received
  // bytes); other handles are devices of their own that receive nothing.
  HANDLE data_handle = nullptr;
  bool keep_written = true;
  DWORD out_queue = 0;
  DWORD pending_errors = 0;  // reported, then cleared, by the next ClearCommError
  DCB dcb{};
  DWORD rx_queue = 4096, tx_queue = 4096;
  DWORD modem_status = 0;
  DWORD file_type = FILE_TYPE_CHAR;
  COMMTIMEOUTS timeouts{};
  // The device behind each name, as GetFinalPathNameByHandleW tells it; a name without an
  // entry makes that call fail.
  std::map<std::u16string, std::u16string> final_paths;
  std::map<HANDLE, std::u16string> handle_names;
  // While set, ClearCommError and ReadFile wait at their start (in real time); `held_calls`
  // counts the calls waiting there.
  bool hold_device = false;
  int held_calls = 0;

  // The seam between two device calls: run at the start of every GetFileType, ClearCommError,
  // ReadFile, PurgeComm and CloseHandle, on the calling thread and without the device's lock, so it can
  // hang the line up, flush it, make a call fail or sleep exactly there. `last_count` is what
  // the last ClearCommError reported.
  std::function<void(const std::string& call)> before_call;
  DWORD last_count = 0;
  // A hung-up line, as a pty whose other end closed under Wine: its input is flushed, the
  // status call fails (ERROR_NOT_READY) and a read finds nothing at once and tries again: until
  // its total time-out, or with none for ever (until the handle is closed or `hung_reads_end`).
  void HangUp();
  bool hung_up = false;
  bool hung_reads_end = false;
  // A flush of the tty's input by someone else (another program's purge).
  void FlushInput();

  // Faults.
  bool fail_open = false;
  DWORD open_error = ERROR_FILE_NOT_FOUND;
  bool fail_close = false;
  bool fail_get_state = false;
  bool refuse_set_state = false;
  // A speed the device takes instead of one above this, reporting success (as Wine does on a
  // tty for a speed it cannot set); 0: every speed is taken as given.
  DWORD fastest_speed = 0;
  DWORD substituted_speed = 38400;
  bool refuse_setup = false;
  bool refuse_escape = false;
  bool fail_modem_status = false;
  bool fail_clear_error = false;   // ClearCommError fails with ERROR_BAD_COMMAND
  bool fail_properties = false;    // GetCommProperties fails with ERROR_BAD_COMMAND
  bool fail_purge = false;
  DWORD clear_error_delay_ms = 0;  // real time ClearCommError spends before it looks at its handle
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
  std::vector<DWORD> purges;
  std::map<std::string, int> calls;  // every device call by name (not Sleep or GetLocalTime)
  int device_calls() const;
  int calls_of(const std::string& name) const;
  int foreign_handle_calls = 0;  // calls on a handle that is not open (closed twice, used after)

  uint64_t clock_ms = 10ull * 3'600'000;  // 10:00:00.000
  struct Arrival {
    uint64_t at_ms;
    std::string bytes;
  };
  std::vector<Arrival> schedule;
  uintptr_t next_handle = 0x5E10;

  void Advance(uint64_t ms);
  // Counts a call and whether its handle is open.
  void Call(const char* name, HANDLE handle);
  // Moves bytes the sender holds into the device as far as its capacity allows.
  void Refill();

  std::recursive_mutex mutex;
  std::condition_variable_any arrived;

 private:
  CommApi previous_;
  CommApi previous_device_;
  Layer layer_;
};

// Each test gets a fresh fake device and its own activation for error numbers.
class FakeDeviceTest : public ::testing::Test {
 protected:
  explicit FakeDeviceTest(FakeDevice::Layer layer = FakeDevice::Layer::kNone) : dev(layer) {}

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
