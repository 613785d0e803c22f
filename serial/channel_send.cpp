#include "channel_send.h"

#include "channel_table.h"
#include "comm_api.h"
#include "error.h"
#include "frame.h"
#include "serial_errors.h"
#include "string_ops.h"
#include "win32/api_call_guard.h"

namespace qv {

namespace {

// wide_text: whether the operand is UTF-16 text.
int32_t Send(ChannelNumber number, bool wide_text) {
  ChannelRef record = ChannelFind(number);
  if (!record || !record->serial()) {
    PopDiscard();
    RaiseError(record ? kErrorNotSerial : kErrorChannelNotOpen);
    return 0;
  }
  OperandStack& operands = ProcedureFrame::Current().operands();
  const bool had_text = TextLengthTop() > 0;
  if (record->wide() && !wide_text) ToWide(0);
  if (!record->wide() && wide_text) ToAnsi(0);
  TextRef text = operands.Pop();
  const uint32_t length = text.bytes();
  const uint32_t unit = record->wide() ? 2 : 1;

  int32_t written = 0;
  if (had_text && length == 0) {
    // The conversion yielded nothing (no room, or a code page that cannot convert): none of
    // the text was written, which is the send's short write.
    RaiseError(kErrorTimedOut);
  } else if (length > 0) {
    DWORD transferred = 0;  // the call's own: a receive on another thread has its own count
    auto write = ApiCallGuard(Comm().WriteFile, record->handle, text.data(), DWORD{length},
                              &transferred, LPOVERLAPPED{nullptr});
    const uint32_t sent = std::min<uint32_t>(transferred, length);
    written = static_cast<int32_t>(sent / unit);
    if (write.failed || sent != length) RaiseError(kErrorTimedOut);
  }
  text.Release();
  return written;
}

}  // namespace

int32_t ChannelSend(ChannelNumber number) { return Send(number, false); }
int32_t ChannelSendWide(ChannelNumber number) { return Send(number, true); }

}  // namespace qv
