#pragma once

#include <cstdint>

#include "channel_record.h"
#include "serial_item.h"

namespace qv {

// Changes one line setting of the channel. Errors: 52, 5 (refused by the device or an item
// outside 0..25), or the mapped platform error of reading the device's state.
void ChannelSet(ChannelNumber number, int32_t item, int32_t value);

// How long each receive waits for more data (0 = no limit); also the device's time-outs.
// Errors: 52, 54, 69.
void ChannelSetWaitLimit(ChannelNumber number, uint32_t milliseconds);

}  // namespace qv
