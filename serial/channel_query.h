#pragma once

#include <cstdint>

#include "channel_record.h"
#include "serial_item.h"

namespace qv {

// Errors set by ClearCommError that make one status query fail with 57.
constexpr DWORD kLineErrorMask = CE_RXOVER | CE_OVERRUN | CE_FRAME | CE_TXFULL | CE_IOE;

// One setting or status of the channel: flags as -1/0. Result 0 whenever an error is raised:
// 52, 5 (item outside 1..25), 57 (a pending line error, items 2, 20 and 23), or the mapped
// platform error.
int32_t ChannelQuery(int32_t item, ChannelNumber number);

}  // namespace qv
