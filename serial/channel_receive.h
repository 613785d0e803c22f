// Receiving through the channel's read-ahead buffer. Results are pushed on the operand stack as
// owned strings. Errors: 52, 54, 5, 7, 69 (the device read failed: the units gathered so far are
// still handed out), 24 (the wait ran out: likewise).
#pragma once

#include <cstdint>

#include "channel_record.h"

namespace qv {

constexpr uint32_t kMaxLineInput = 512;  // input units one line receive consumes at most

void ChannelReceive(ChannelNumber number, int32_t count);
void ChannelReceiveWide(ChannelNumber number, int32_t count);
void ChannelReceiveLine(ChannelNumber number);
void ChannelReceiveLineWide(ChannelNumber number);

// Polls the device about once a millisecond until it holds data or the channel's wait limit
// has run out; the bytes waiting, 0 when none came.
uint32_t ChannelWaitForData(ChannelRecord& record);

// Reads what the device holds (never more) into the buffer after the buffered bytes. False
// when the device read failed.
bool ChannelFillBuffer(ChannelRecord& record);

}  // namespace qv
