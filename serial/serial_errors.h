// Error numbers raised by the channel operations.
#pragma once

#include <cstdint>

namespace qv {

enum SerialErrors : uint8_t {
  kErrorTimedOut = 24,         // the wait limit ran out, or a write fell short
  kErrorChannelNotOpen = 52,
  kErrorNotSerial = 54,        // wrong channel class
  kErrorChannelInUse = 55,
  kErrorLineError = 57,        // the device reports a line or queue error
  kErrorBadChannelName = 64,
  kErrorDeviceFailed = 69,
};

}  // namespace qv
