// ChannelRecord: one open channel. The fixed fields and the read-ahead buffer are one
// allocation, the buffer directly after the fields.
#pragma once

#include <windows.h>

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
  uint32_t buffered = 0;
  uint16_t flags = 0;
  uint32_t wait_limit = 0;  // ms; 0 = wait without limit
  DWORD transfer_count = 0;

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
