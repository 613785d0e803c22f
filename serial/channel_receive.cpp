#include "channel_receive.h"

#include <algorithm>
#include <cstring>

#include "channel_table.h"
#include "comm_api.h"
#include "error.h"
#include "hour_clock.h"
#include "serial_errors.h"
#include "string_ops.h"
#include "win32/api_call_guard.h"

namespace qv {

namespace {

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

// The channel a receive may use, or empty after raising why not.
ChannelRef ReceivingChannel(ChannelNumber number, bool wide) {
  ChannelRef record = ChannelFind(number);
  if (!record) {
    RaiseError(kErrorChannelNotOpen);
  } else if (!record->serial()) {
    RaiseError(kErrorNotSerial);
    record = ChannelRef();
  } else if (record->wide() != wide) {
    RaiseError(kErrorInvalidArgument);
    record = ChannelRef();
  }
  return record;
}

// Pushes the first `bytes` of the result block (taking it over). False, with error 7 and an
// empty result, when the shortened copy cannot be made.
bool PushGathered(unsigned char* block, uint32_t bytes) {
  if (bytes < BlockLength(block)) {
    unsigned char* shorter = ResizeBlock(block, bytes);
    if (bytes > 0 && !shorter) {
      ReleaseBlock(block);
      PushEmpty();
      RaiseError(kErrorOutOfMemory);
      return false;
    }
    block = shorter;
  }
  PushOwned(TextRef::Owned(block));
  return true;
}

// The receives of a fixed count: unit is 1 (bytes) or 2 (UTF-16 units).
void ReceiveCount(ChannelNumber number, int32_t count, bool wide) {
  ChannelRef record = ReceivingChannel(number, wide);
  if (record && count < 1) {
    RaiseError(kErrorInvalidArgument);
    record = ChannelRef();
  }
  if (!record) return PushEmpty();

  const uint32_t unit = wide ? 2 : 1;
  unsigned char* block = wide ? TryAllocateUnits(uint32_t(count)) : TryAllocateBytes(uint32_t(count));
  if (!block) {
    PushEmpty();
    return RaiseError(kErrorOutOfMemory);
  }
  const uint32_t wanted = BlockLength(block);
  uint32_t gathered = 0;
  for (;;) {
    const uint32_t take = std::min(wanted - gathered, record->buffered / unit * unit);
    record->TakeBuffered(block + gathered, take);
    gathered += take;
    if (gathered == wanted) return PushOwned(TextRef::Owned(block));
    // The bytes gathered have left the device: a failed fill must not lose them.
    if (const uint8_t error = ChannelFillBuffer(*record)) {
      const uint32_t last = std::min(wanted - gathered, record->buffered / unit * unit);
      record->TakeBuffered(block + gathered, last);
      gathered += last;
      if (gathered == wanted) {
        PushOwned(TextRef::Owned(block));
        return RaiseError(error);
      }
      if (PushGathered(block, gathered)) RaiseError(error);
      return;
    }
    if (record->buffered < unit) {
      if (PushGathered(block, gathered)) RaiseError(kErrorTimedOut);
      return;
    }
  }
}

// The line receives: up to the first LF, CRs dropped, at most kMaxLineInput units consumed.
template <typename Unit>
void ReceiveLine(ChannelNumber number) {
  constexpr bool wide = sizeof(Unit) == 2;
  ChannelRef record = ReceivingChannel(number, wide);
  if (!record) return PushEmpty();

  record->flags &= ~kFlagLineComplete;
  Unit line[kMaxLineInput];
  uint32_t stored = 0, consumed = 0;
  uint8_t fill_error = 0;
  for (;;) {
    const uint32_t available = record->buffered / sizeof(Unit);
    uint32_t i = 0;
    while (i < available && consumed < kMaxLineInput && !(record->flags & kFlagLineComplete)) {
      Unit u;
      std::memcpy(&u, record->buffer() + i * sizeof(Unit), sizeof(Unit));
      ++i;
      ++consumed;
      if (u == kLf)
        record->flags |= kFlagLineComplete;
      else if (u != kCr)
        line[stored++] = u;
    }
    record->TakeBuffered(nullptr, i * sizeof(Unit));
    if ((record->flags & kFlagLineComplete) || consumed == kMaxLineInput) break;
    if ((fill_error = ChannelFillBuffer(*record)) != 0) break;
    if (record->buffered < sizeof(Unit)) break;
  }

  const uint32_t bytes = stored * sizeof(Unit);
  unsigned char* block = TryAllocateBytes(bytes);
  if (bytes > 0 && !block) {
    PushEmpty();
    return RaiseError(kErrorOutOfMemory);
  }
  if (block) std::memcpy(block, line, bytes);
  PushOwned(TextRef::Owned(block));
  if (fill_error)
    RaiseError(fill_error);
  else if (!(record->flags & kFlagLineComplete))
    RaiseError(kErrorTimedOut);
}

}  // namespace

uint32_t ChannelWaitForData(ChannelRecord& record, uint8_t& error) {
  const CommApi& comm = Comm();
  const uint32_t deadline = HourClockDeadline(record.wait_limit);
  error = 0;
  for (;;) {
    // A close on another thread waits for this receive: it ends here, at its next wait for
    // the device, also when data keeps coming and it would otherwise go on to its whole count.
    if (record.closing.load(std::memory_order_acquire)) {
      error = kErrorChannelNotOpen;
      return 0;
    }
    DWORD errors = 0;
    COMSTAT status{};
    // Polled directly: a wait holds no lock, so other threads' guarded calls go on. A device
    // that cannot say what it holds (unplugged, say) will never deliver: the wait ends.
    if (!comm.ClearCommError(record.handle, &errors, &status)) {
      error = kErrorDeviceFailed;
      return 0;
    }
    if (status.cbInQue > 0) return status.cbInQue;
    comm.Sleep(1);
    if (HourClockRemaining(deadline) == 0) return 0;
  }
}

uint8_t ChannelFillBuffer(ChannelRecord& record) {
  uint8_t error = 0;
  const uint32_t waiting = ChannelWaitForData(record, error);
  if (waiting == 0) return error;
  const uint32_t ask = std::min(record.record_length - record.buffered, waiting);
  DWORD transferred = 0;  // the call's own: a send on another thread has its own count
  auto read = ApiCallGuard(Comm().ReadFile, record.handle, record.buffer() + record.buffered,
                           DWORD{ask}, &transferred, LPOVERLAPPED{nullptr});
  // What a failing read still delivered stays buffered. A device that claims more than it was
  // asked for cannot have written past the buffer.
  record.buffered += std::min<uint32_t>(transferred, ask);
  return read.failed && !read.value ? kErrorDeviceFailed : 0;
}

void ChannelReceive(ChannelNumber number, int32_t count) { ReceiveCount(number, count, false); }
void ChannelReceiveWide(ChannelNumber number, int32_t count) { ReceiveCount(number, count, true); }
void ChannelReceiveLine(ChannelNumber number) { ReceiveLine<unsigned char>(number); }
void ChannelReceiveLineWide(ChannelNumber number) { ReceiveLine<char16_t>(number); }

}  // namespace qv
