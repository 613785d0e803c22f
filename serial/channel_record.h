// ChannelRecord: one open channel. The fixed fields and the read-ahead buffer are one
// allocation, the buffer directly after the fields.
//
// Threads and ownership: ChannelTable owns every open record (through `next`), and
// ChannelTableLock guards the links. Any thread may use a channel: an operation pins the
// record it found (ChannelRef, channel_table.h), and a close takes the record out of the table,
// sets `closing` and frees the record and closes its handle only once no pin is left, so no
// operation ever meets a freed record or a closed handle. The fields written by the open are
// read-only afterwards. `buffered`, the buffer and `flags` belong to the one thread receiving
// on the channel at a time (other threads only read the count); `wait_limit` may be changed by
// any thread. Transfer counts of device calls are each call's own.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "dyn_string.h"

namespace qv {

using ChannelNumber = int16_t;

constexpr uint16_t kModeClassSerial = 0x10;
constexpr uint16_t kAccessWide = 0x08;  // data counted in 2-byte units
constexpr uint16_t kFlagLineComplete = 0x0010;
constexpr uint16_t kKindDisk = 1;
constexpr uint16_t kKindOther = 2;
constexpr uint32_t kSerialRecordLength = 512;

struct ChannelRecord;

struct ChannelRecordDeleter {
  void operator()(ChannelRecord* record) const;
};
using ChannelRecordPtr = std::unique_ptr<ChannelRecord, ChannelRecordDeleter>;

struct ChannelRecord {
  ChannelRecordPtr next;
  ChannelNumber number = 0;
  HANDLE handle = nullptr;
  uint16_t kind = 0;
  uint16_t mode_class = 0;
  uint16_t access = 0;
  DynString name;  // UTF-16
  uint32_t record_length = 0;
  std::atomic<uint32_t> buffered{0};
  uint16_t flags = 0;
  std::atomic<uint32_t> wait_limit{0};  // ms; 0 = wait without limit
  std::atomic<int32_t> users{0};  // pins held by operations in progress
  std::atomic<bool> closing{false};  // set once the record has left the table

  // A record with a zeroed buffer of record_length bytes; null when memory runs out.
  static ChannelRecordPtr Create(uint32_t record_length);

  unsigned char* buffer() { return reinterpret_cast<unsigned char*>(this + 1); }
  bool serial() const { return (mode_class & kModeClassSerial) != 0; }
  bool wide() const { return (access & kAccessWide) != 0; }

  // Hands out the first n buffered bytes to dst (which may be null to drop them) and moves the
  // rest to the start of the buffer.
  void TakeBuffered(unsigned char* dst, uint32_t n);

 private:
  ChannelRecord() = default;
  ~ChannelRecord() = default;
  friend struct ChannelRecordDeleter;
};

}  // namespace qv
