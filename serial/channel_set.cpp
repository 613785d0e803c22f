#include "channel_set.h"

#include "channel_table.h"
#include "comm_api.h"
#include "error.h"
#include "serial_errors.h"
#include "win32/api_call_guard.h"

namespace qv {

namespace {

// Changes the DCB for one item; false for a code that is not a DCB item.
bool ChangeDcb(DCB& dcb, int32_t item, int32_t value) {
  const bool on = value != 0;
  const uint32_t v = static_cast<uint32_t>(value);
  const BYTE low = static_cast<BYTE>(v & 0xFF);
  switch (item) {
    case kItemNoFlowControl:
      dcb.fOutxCtsFlow = 0;
      dcb.fOutxDsrFlow = 0;
      dcb.fDsrSensitivity = 0;
      dcb.fTXContinueOnXoff = 0;
      dcb.fOutX = 0;
      dcb.fInX = 0;
      dcb.fDtrControl = DTR_CONTROL_DISABLE;
      dcb.fRtsControl = RTS_CONTROL_DISABLE;
      return true;
    case kItemBaudRate: dcb.BaudRate = v; return true;
    case kItemDataBits:
      dcb.ByteSize = low;
      if (v == 5 && dcb.StopBits > ONE5STOPBITS) dcb.StopBits = ONE5STOPBITS;
      if (v > 5) dcb.StopBits = ONESTOPBIT;
      if (v >= 8) {
        dcb.fParity = 0;
        dcb.Parity = NOPARITY;
      }
      return true;
    case kItemCtsFlow: dcb.fOutxCtsFlow = on; return true;
    case kItemDsrFlow: dcb.fOutxDsrFlow = on; return true;
    case kItemDsrSensitivity: dcb.fDsrSensitivity = on; return true;
    case kItemDtrHandshake: dcb.fDtrControl = on ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_DISABLE; return true;
    case kItemDtrEnable: dcb.fDtrControl = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE; return true;
    case kItemNullStrip: dcb.fNull = on; return true;
    case kItemParityCheck: dcb.fParity = on; return true;
    case kItemErrorChar: dcb.ErrorChar = static_cast<char>(low); return true;
    case kItemErrorCharOn: dcb.fErrorChar = on; return true;
    case kItemParity: dcb.Parity = low; return true;
    case kItemRtsControl: dcb.fRtsControl = v & 3; return true;
    case kItemStopBits: dcb.StopBits = low; return true;
    case kItemXonXoffIn:
      dcb.fInX = on;
      dcb.fTXContinueOnXoff = 0;
      return true;
    case kItemXonXoffOut:
      dcb.fOutX = on;
      dcb.fTXContinueOnXoff = 0;
      return true;
    default: return false;
  }
}

bool IsDcbItem(int32_t item) {
  DCB scratch{};
  return ChangeDcb(scratch, item, 0);
}

// Whether the device runs at the speed it was given. Wine takes a speed a tty cannot run at
// (or no speed at all, 0, which hangs a tty's line up) and reports success, the line running at
// another speed; the platform's own drivers refuse both. A device that cannot report its state
// again is taken at its word.
bool RunsAtSpeed(HANDLE handle, const DCB& previous, DWORD speed) {
  DCB now{};
  now.DCBlength = sizeof(DCB);
  if (ApiCallGuard(Comm().GetCommState, handle, &now).failed || now.BaudRate == speed) return true;
  DCB back = previous;
  ApiCallGuard(Comm().SetCommState, handle, &back);  // the speed it had; the call has failed anyway
  return false;
}

void SetDcbItem(HANDLE handle, int32_t item, int32_t value) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (RaiseIfFailed(ApiCallGuard(Comm().GetCommState, handle, &dcb))) return;
  if (item == kItemBaudRate && value == 0) return RaiseError(kErrorInvalidArgument);
  const DCB previous = dcb;
  ChangeDcb(dcb, item, value);
  if (ApiCallGuard(Comm().SetCommState, handle, &dcb).failed) return RaiseError(kErrorInvalidArgument);
  if (item == kItemBaudRate && !RunsAtSpeed(handle, previous, dcb.BaudRate)) RaiseError(kErrorInvalidArgument);
}

void SetBreak(HANDLE handle, int32_t value) {
  const DWORD function = value != 0 ? SETBREAK : CLRBREAK;
  if (ApiCallGuard(Comm().EscapeCommFunction, handle, function).failed)
    RaiseError(kErrorInvalidArgument);
}

void SetQueueSize(HANDLE handle, int32_t item, int32_t value) {
  COMMPROP properties{};
  if (RaiseIfFailed(ApiCallGuard(Comm().GetCommProperties, handle, &properties))) return;
  const DWORD size = static_cast<DWORD>(value);
  const DWORD receive = item == kItemReceiveQueue ? size : properties.dwCurrentRxQueue;
  const DWORD transmit = item == kItemTransmitQueue ? size : properties.dwCurrentTxQueue;
  if (ApiCallGuard(Comm().SetupComm, handle, receive, transmit).failed)
    RaiseError(kErrorInvalidArgument);
}

}  // namespace

void ChannelSet(ChannelNumber number, int32_t item, int32_t value) {
  ChannelRef record = ChannelFind(number);
  if (!record) return RaiseError(kErrorChannelNotOpen);
  if (IsDcbItem(item)) return SetDcbItem(record->handle, item, value);
  switch (item) {
    case kItemBreak: return SetBreak(record->handle, value);
    case kItemReceiveQueue:
    case kItemTransmitQueue: return SetQueueSize(record->handle, item, value);
    case kItemCts:
    case kItemDsr:
    case kItemRing:
    case kItemCarrier:
    case kItemBytesWaiting:
    case kItemBytesToSend: return;  // read-only properties
    default: return RaiseError(kErrorInvalidArgument);
  }
}

void ChannelSetWaitLimit(ChannelNumber number, uint32_t milliseconds) {
  ChannelRef record = ChannelFind(number);
  if (!record) return RaiseError(kErrorChannelNotOpen);
  if (!record->serial()) return RaiseError(kErrorNotSerial);
  record->wait_limit = milliseconds;
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = milliseconds;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = milliseconds;
  timeouts.WriteTotalTimeoutConstant = 0;
  if (!Comm().SetCommTimeouts(record->handle, &timeouts)) RaiseError(kErrorDeviceFailed);
}

}  // namespace qv
