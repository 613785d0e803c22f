// Receiving through the channel's read-ahead buffer. Results are pushed on the operand stack as
// owned strings. Errors: 52, 54, 5, 7; and, with the units gathered so far still handed out:
// 69 (the device read or its queue query failed), 24 (the wait ran out), 52 (another thread
// closed the channel meanwhile).
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
// has run out; the bytes waiting, 0 when none came. A failing queue query ends the wait with
// `error` 69, a close of the channel by another thread with 52 (checked before every poll, so a
// receive whose data keeps coming still ends at its next fill and the close need not wait).
uint32_t ChannelWaitForData(ChannelRecord& record, uint8_t& error);

// Reads what the device holds (never more) into the buffer after the buffered bytes. The error
// that ended it (69 when the wait's query or the read failed, 52 when the channel was closed
// meanwhile), else 0; bytes the device delivered stay buffered in every case.
uint8_t ChannelFillBuffer(ChannelRecord& record);

}  // namespace qv
