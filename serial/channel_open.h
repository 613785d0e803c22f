#pragma once

#include <cstdint>

#include "channel_record.h"

namespace qv {

// OpenMode: high byte = mode class (0x10 serial), low byte = access bits.
constexpr uint16_t kAccessShareMask = 0x07;  // share mode + 1
constexpr uint16_t kAccessExplicit = 0x20;
constexpr uint16_t kAccessWrite = 0x40;
constexpr uint16_t kAccessRead = 0x80;
constexpr uint16_t kOpenModeSerialExclusive = 0x10E1;  // read + write, exclusive, byte data
constexpr uint32_t kMaxChannelNameUnits = 255;

// Opens the device named by the UTF-16 text on the operand stack (consumed) as channel
// `number`. Failures are raised in the calling procedure: 64, 52, 5, 55, 7, 69.
void ChannelOpen(ChannelNumber number, uint16_t mode, int32_t record_length);

}  // namespace qv
