#pragma once

#include <cstdint>

#include "channel_record.h"

namespace qv {

// Closes the channel if it is open and its class meets the mask (0 = any; otherwise error 54
// and it stays open). A failed CloseHandle is raised after the channel is gone anyway.
void ChannelClose(ChannelNumber number, uint16_t class_mask);
// Closes every channel; raises the first error met.
void ChannelCloseAll();

// Serial channels have nothing to flush; file channels get FlushFileBuffers.
void ChannelFlush(ChannelNumber number);
void ChannelFlushAll();

}  // namespace qv
