#include "channel_record.h"

#include <cstring>
#include <new>

namespace qv {

ChannelRecordPtr ChannelRecord::Create(uint32_t record_length) {
  void* block = ::operator new(sizeof(ChannelRecord) + record_length, std::nothrow);
  if (!block) return nullptr;
  ChannelRecordPtr record(new (block) ChannelRecord());
  record->record_length = record_length;
  std::memset(record->buffer(), 0, record_length);
  return record;
}

void ChannelRecordDeleter::operator()(ChannelRecord* record) const {
  // Unlink iteratively: a long table must not recurse once per record.
  ChannelRecordPtr rest = std::move(record->next);
  while (rest) rest = std::move(rest->next);
  record->~ChannelRecord();
  ::operator delete(record);
}

void ChannelRecord::TakeBuffered(unsigned char* dst, uint32_t n) {
  if (n == 0) return;
  if (dst) std::memcpy(dst, buffer(), n);
  std::memmove(buffer(), buffer() + n, buffered - n);
  buffered -= n;
}

}  // namespace qv
