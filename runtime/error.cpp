#include "error.h"

#include "frame.h"
#include "platform/platform.h"
#include "thread_record.h"

namespace qv {

namespace {

// Platform codes 0-39 to run-time error numbers.
constexpr uint8_t kPlatformErrorTable[40] = {
    0,  75, 53, 76, 67, 70, 57, 241, 7,  241,  // 0-9
    241, 51, 51, 51, 7, 68, 75, 74, 53, 70,    // 10-19
    68, 71, 51, 72, 51, 72, 72, 72, 72, 72,    // 20-29
    72, 72, 70, 70, 72, 72, 70, 75, 62, 61,    // 30-39
};

}  // namespace

uint8_t MapPlatformError(uint32_t platform_code) {
  if (platform_code < 40) return kPlatformErrorTable[platform_code];
  if (platform_code == 112) return 61;
  if (platform_code == 87) return kErrorInvalidArgument;
  return 75;
}

uint8_t ErrorNumber() { return ProcedureFrame::Current().error_number(); }

uint8_t ErrorTake() {
  ProcedureFrame& frame = ProcedureFrame::Current();
  uint8_t n = frame.error_number();
  frame.set_error_word(0);
  return n;
}

void ErrorClear() { ProcedureFrame::Current().set_error_word(0); }

void ErrorSet(uint8_t n) { ProcedureFrame::Current().set_error_word(n); }

void ErrorRaiseUser(int32_t n) {
  RaiseError(n >= 1 && n <= 255 ? uint32_t(n) : uint32_t{kErrorInvalidArgument});
}

void RaiseError(uint32_t n) {
  if (n == 0) n = kErrorRaisedZero;
  // Numbers travel as bytes; anything wider is a fault of the caller, reported as such.
  if (n > 255) n = kErrorInvalidArgument;
  // Operations are always called from the procedure's own code here, so the high byte is the
  // "raised here" flag set.
  ProcedureFrame::Current().set_error_word(static_cast<uint16_t>((kErrorRaisedHere << 8) | n));

  // A guarded error handler that is itself failing must not recurse.
  if (ThreadRecord* record = ThreadRecordPeek(); record && record->error_guard && record->kernel_handle)
    n = kErrorFatalFeatureMissing;

  if (n >= kErrorFirstFatal) platform::ExitProcessNow(255);
}

void FatalFeatureMissing() {
  RaiseError(kErrorFatalFeatureMissing);
  platform::ExitProcessNow(255);  // not reached
}

}  // namespace qv
