// ChannelTable: the process-wide list of open channels, newest first, and the two locks that
// guard it. OpenLock is always taken before ChannelTableLock; neither is held while a receive
// waits for its device.
#pragma once

#include <vector>

#include "channel_record.h"
#include "spin_lock.h"

namespace qv {

// Serialises ChannelNextFree and ChannelOpen against each other.
SpinLock& OpenLock();
// Guards every walk and change of the table.
SpinLock& ChannelTableLock();

// The open channel of that number, or null: the caller raises 52.
ChannelRecord* ChannelFind(ChannelNumber number);

// A number that is not open right now (not reserved). The issued counter only goes forward
// and wraps past 32767 to 1. -1 when all of 1..32767 are open.
ChannelNumber ChannelNextFree();

// Table changes, each under ChannelTableLock.
void ChannelTableInsert(ChannelRecordPtr record);
// Takes the record out of the table; a record that is not in it is the fatal error 242.
ChannelRecordPtr ChannelTableRemove(ChannelRecord* record);
// The numbers open now, newest first.
std::vector<ChannelNumber> ChannelTableNumbers();
// Takes the newest record out; null when the table is empty.
ChannelRecordPtr ChannelTableRemoveFirst();

}  // namespace qv
