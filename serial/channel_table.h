// ChannelTable: the process-wide list of open channels, newest first, and the two locks that
// guard it. OpenLock is always taken before ChannelTableLock; neither is held while a receive
// waits for its device, nor while a close waits for the operations still using its record.
#pragma once

#include <cstddef>
#include <vector>

#include "channel_record.h"
#include "spin_lock.h"

namespace qv {

// Serialises ChannelNextFree and ChannelOpen against each other.
SpinLock& OpenLock();
// Guards every walk and change of the table.
SpinLock& ChannelTableLock();

// A pinned record: while a ChannelRef holds it, a close on another thread waits before it frees
// the record or closes its handle. Empty when the channel was not open. A thread must not close
// a channel while it holds a ChannelRef to it (the close would wait for itself).
class ChannelRef {
 public:
  ChannelRef() = default;
  ChannelRef(ChannelRef&& other) noexcept : record_(other.record_) { other.record_ = nullptr; }
  ChannelRef& operator=(ChannelRef&& other) noexcept;
  ChannelRef(const ChannelRef&) = delete;
  ChannelRef& operator=(const ChannelRef&) = delete;
  ~ChannelRef() { Release(); }

  ChannelRecord* get() const { return record_; }
  ChannelRecord* operator->() const { return record_; }
  ChannelRecord& operator*() const { return *record_; }
  explicit operator bool() const { return record_ != nullptr; }
  friend bool operator==(const ChannelRef& ref, std::nullptr_t) { return ref.record_ == nullptr; }

 private:
  friend ChannelRef ChannelFind(ChannelNumber number);
  explicit ChannelRef(ChannelRecord* pinned) : record_(pinned) {}
  void Release();

  ChannelRecord* record_ = nullptr;
};

// The open channel of that number, pinned; empty when it is not open (the caller raises 52).
ChannelRef ChannelFind(ChannelNumber number);

// A number that is not open right now (not reserved). The issued counter only goes forward
// and wraps past 32767 to 1. -1 when all of 1..32767 are open.
ChannelNumber ChannelNextFree();

// Table changes, each under ChannelTableLock.
void ChannelTableInsert(ChannelRecordPtr record);
// Takes the channel out of the table if it is open and its mode class meets the mask (0 = any):
// of two threads closing one number, one gets the record and the other nothing. `refused` tells
// a channel left open because of the mask.
ChannelRecordPtr ChannelTableTake(ChannelNumber number, uint16_t class_mask, bool& refused);
// The numbers open now, newest first.
std::vector<ChannelNumber> ChannelTableNumbers();
// Takes the newest record out; null when the table is empty.
ChannelRecordPtr ChannelTableRemoveFirst();

}  // namespace qv
