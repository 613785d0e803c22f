#pragma once

#include <cstdint>

#include "channel_record.h"

namespace qv {

// Writes the byte text on the operand stack (consumed in every case); a UTF-16 channel gets it
// converted. Returns the count written in the channel's units. Errors: 52, 54, 24, 7.
int32_t ChannelSend(ChannelNumber number);
// The same for a wide text; a byte channel gets it in the system ANSI code page.
int32_t ChannelSendWide(ChannelNumber number);

}  // namespace qv
