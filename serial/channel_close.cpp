#include "channel_close.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "channel_table.h"
#include "comm_api.h"
#include "error.h"
#include "serial_errors.h"
#include "win32/api_call_guard.h"

namespace qv {

namespace {

// Mode-class bits of the file kinds (the serial class and the socket classes are the others).
constexpr uint16_t kModeClassFileKinds = 0x2F;

// Closes the device of a record already out of the table, then releases the record with its
// name and buffered bytes. Every record holds a handle from CreateFileW, whatever its class.
// Operations that found the record before it left the table finish first: a receive waiting
// for data sees `closing` within a millisecond and ends. Returns the mapped error of a failed
// close, else 0.
uint8_t CloseRecord(ChannelRecordPtr record) {
  record->closing.store(true, std::memory_order_release);
  while (record->users.load(std::memory_order_acquire) != 0) ::Sleep(1);
  // A layer's own use of the handle may take a moment to end: not under the platform-call lock,
  // where every other thread's platform calls would wait for it too.
  Comm().PrepareClose(record->handle);
  auto closed = ApiCallGuard(Comm().CloseHandle, record->handle);
  record.reset();
  return closed.failed ? closed.error : 0;
}

uint8_t Flush(ChannelRecord& record) {
  if (!(record.mode_class & kModeClassFileKinds) || record.serial()) return 0;
  auto flushed = ApiCallGuard(Comm().FlushFileBuffers, record.handle);
  return flushed.failed ? flushed.error : 0;
}

}  // namespace

void ChannelClose(ChannelNumber number, uint16_t class_mask) {
  bool refused = false;
  ChannelRecordPtr record = ChannelTableTake(number, class_mask, refused);
  if (refused) return RaiseError(kErrorNotSerial);
  if (!record) return;  // not open, or closed by another thread just now
  if (uint8_t error = CloseRecord(std::move(record))) RaiseError(error);
}

void ChannelCloseAll() {
  uint8_t first_error = 0;
  while (ChannelRecordPtr record = ChannelTableRemoveFirst()) {
    uint8_t error = CloseRecord(std::move(record));
    if (!first_error) first_error = error;
  }
  if (first_error) RaiseError(first_error);
}

void ChannelFlush(ChannelNumber number) {
  if (ChannelRef record = ChannelFind(number))
    if (uint8_t error = Flush(*record)) RaiseError(error);
}

void ChannelFlushAll() {
  // Flushes one channel at a time by number, so no platform call runs under the table lock.
  uint8_t first_error = 0;
  for (ChannelNumber number : ChannelTableNumbers()) {
    ChannelRef record = ChannelFind(number);
    uint8_t error = record ? Flush(*record) : 0;
    if (!first_error) first_error = error;
  }
  if (first_error) RaiseError(first_error);
}

}  // namespace qv
