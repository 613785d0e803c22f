// The error model: a failing run-time operation records an error number in the activation of
// the procedure that called it and returns normally; the caller reads it with ErrorNumber.
#pragma once

#include <cstdint>

namespace qv {

// Error numbers raised by the run-time itself.
enum ErrorNumbers : uint8_t {
  kErrorNone = 0,
  kErrorInvalidArgument = 5,
  kErrorOutOfMemory = 7,
  kErrorRaisedZero = 51,
  kErrorFirstFatal = 241,
  kErrorFatalPlatform = 241,
  kErrorFatalChannelTable = 242,
  kErrorFatalOperandStack = 243,  // more than five operands outstanding, or a pop of none
  kErrorFatalFeatureMissing = 244,
};

// Flags in the high byte of the error word.
constexpr uint16_t kErrorRaisedHere = 0xB0;      // raised by an operation the procedure called
constexpr uint16_t kErrorRaisedElsewhere = 0x30;

uint8_t ErrorNumber();       // the calling activation's number, not cleared
uint8_t ErrorTake();         // read and clear
void ErrorClear();
void ErrorSet(uint8_t n);    // store n without the raise path
void ErrorRaiseUser(int32_t n);  // raises n when 1 <= n <= 255, else 5

// Records n in the calling activation; n = 0 records 51; n >= 241 ends the process with 255.
void RaiseError(uint32_t n);
[[noreturn]] void FatalFeatureMissing();

// Platform error code (GetLastError) to run-time error number.
uint8_t MapPlatformError(uint32_t platform_code);

}  // namespace qv
