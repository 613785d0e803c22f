#include "channel_query.h"

#include "channel_table.h"
#include "comm_api.h"
#include "error.h"
#include "serial_errors.h"
#include "win32/api_call_guard.h"

namespace qv {

namespace {

constexpr int32_t Truth(bool b) { return b ? -1 : 0; }

// The field of a DCB item; false for a code that is not one.
bool ReadDcb(const DCB& dcb, int32_t item, int32_t& out) {
  switch (item) {
    case kItemBaudRate: out = static_cast<int32_t>(dcb.BaudRate); return true;
    case kItemDataBits: out = dcb.ByteSize; return true;
    case kItemCtsFlow: out = Truth(dcb.fOutxCtsFlow); return true;
    case kItemDsrFlow: out = Truth(dcb.fOutxDsrFlow); return true;
    case kItemDsrSensitivity: out = Truth(dcb.fDsrSensitivity); return true;
    case kItemDtrHandshake: out = Truth(dcb.fDtrControl & 2); return true;
    case kItemDtrEnable: out = Truth(dcb.fDtrControl & 1); return true;
    case kItemNullStrip: out = Truth(dcb.fNull); return true;
    case kItemParityCheck: out = Truth(dcb.fParity); return true;
    case kItemErrorChar: out = static_cast<unsigned char>(dcb.ErrorChar); return true;
    case kItemErrorCharOn: out = Truth(dcb.fErrorChar); return true;
    case kItemParity: out = dcb.Parity; return true;
    case kItemRtsControl: out = static_cast<int32_t>(dcb.fRtsControl); return true;
    case kItemStopBits: out = dcb.StopBits; return true;
    case kItemXonXoffIn: out = Truth(dcb.fInX); return true;
    case kItemXonXoffOut: out = Truth(dcb.fOutX); return true;
    default: return false;
  }
}

bool IsDcbItem(int32_t item) {
  DCB probe{};
  int32_t ignored = 0;
  return ReadDcb(probe, item, ignored);
}

DWORD ModemBit(int32_t item) {
  switch (item) {
    case kItemCts: return MS_CTS_ON;
    case kItemDsr: return MS_DSR_ON;
    case kItemRing: return MS_RING_ON;
    case kItemCarrier: return MS_RLSD_ON;
    default: return 0;
  }
}

int32_t QueryDcb(HANDLE handle, int32_t item) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (RaiseIfFailed(ApiCallGuard(Comm().GetCommState, handle, &dcb))) return 0;
  int32_t value = 0;
  ReadDcb(dcb, item, value);
  return value;
}

int32_t QueryModemLine(HANDLE handle, DWORD bit) {
  DWORD status = 0;
  if (RaiseIfFailed(ApiCallGuard(Comm().GetCommModemStatus, handle, &status))) return 0;
  return Truth(status & bit);
}

int32_t QueryQueueSize(HANDLE handle, int32_t item) {
  COMMPROP properties{};
  if (RaiseIfFailed(ApiCallGuard(Comm().GetCommProperties, handle, &properties))) return 0;
  return static_cast<int32_t>(item == kItemReceiveQueue ? properties.dwCurrentRxQueue
                                                        : properties.dwCurrentTxQueue);
}

// Items 2, 20 and 23. ClearCommError also clears the device's error mask, so a line error
// fails exactly one such query.
int32_t QueryStatus(ChannelRecord& record, int32_t item) {
  DWORD errors = 0;
  COMSTAT status{};
  if (RaiseIfFailed(ApiCallGuard(Comm().ClearCommError, record.handle, &errors, &status))) return 0;
  if (errors & kLineErrorMask) {
    RaiseError(kErrorLineError);
    return 0;
  }
  const uint32_t unit = record.wide() ? 2 : 1;
  switch (item) {
    case kItemBreak: return Truth(errors & CE_BREAK);
    case kItemBytesWaiting:
      return static_cast<int32_t>((uint64_t{status.cbInQue} + record.buffered) / unit);
    default: return static_cast<int32_t>(status.cbOutQue / unit);
  }
}

}  // namespace

int32_t ChannelQuery(int32_t item, ChannelNumber number) {
  ChannelRef record = ChannelFind(number);
  if (!record) {
    RaiseError(kErrorChannelNotOpen);
    return 0;
  }
  if (IsDcbItem(item)) return QueryDcb(record->handle, item);
  if (DWORD bit = ModemBit(item)) return QueryModemLine(record->handle, bit);
  switch (item) {
    case kItemReceiveQueue:
    case kItemTransmitQueue: return QueryQueueSize(record->handle, item);
    case kItemBreak:
    case kItemBytesWaiting:
    case kItemBytesToSend: return QueryStatus(*record, item);
    default:
      RaiseError(kErrorInvalidArgument);
      return 0;
  }
}

}  // namespace qv
