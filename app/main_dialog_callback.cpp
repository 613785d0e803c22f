#include "app_state.h"
#include "channel_close.h"
#include "channel_query.h"
#include "channel_receive.h"
#include "dialog_text.h"
#include "frame.h"
#include "float_integer.h"
#include "number_to_text.h"
#include "string_ops.h"
#include "text_literal.h"

namespace qv::app {

namespace {
// The one timer of the dialog: identifier -275 as an unsigned 32-bit value.
constexpr UINT_PTR kPollTimer = 0xFFFFFEEDu;
constexpr UINT kPollPeriodMs = 250;
constexpr int32_t kItemBytesWaiting = 20;

void OnInitDialog() {
  ProcedureFrame frame;
  DynString title;
  static constexpr auto kPortIs = Text(" - Port: ");
  static constexpr auto kComma = Text(" , ");
  static constexpr auto kBaudrateIs = Text("Baudrate: ");
  static constexpr auto kUnableToOpen = Text(" - Unable to open Comport: ");

  SetTimer(MainDialog, kPollTimer, kPollPeriodMs, nullptr);

  DialogGetText(MainDialog);
  ToAnsi();
  AssignText(title);

  if (OpenSerialPort() != 0) {
    PushText(title);
    PushText(kPortIs);
    Concat();
    PushText(PortName);
    Concat();
    PushText(kComma);
    Concat();
    PushText(kBaudrateIs);
    Concat();
    NumberToText15(IntegerToFloat(BaudRate));
    Concat();
  } else {
    PushText(title);
    PushText(kUnableToOpen);
    Concat();
    PushText(PortName);
    Concat();
  }
  ToWide();
  DialogSetText(MainDialog);
}

// A burst is read once the queue has not grown for a whole timer period.
void OnTimer() {
  ProcedureFrame frame;
  const int32_t waiting = ChannelQuery(kItemBytesWaiting, PortChannel);
  if (waiting != LastQueueCount) {
    LastQueueCount = waiting;
    return;
  }
  if (waiting <= 0) return;
  ChannelReceive(PortChannel, waiting);
  AssignText(ReceivedData);
  RenderBitGrid();
  LastQueueCount = 0;
  ReceivedData.Reset();
}

void OnDestroy() {
  ProcedureFrame frame;
  KillTimer(MainDialog, kPollTimer);
  if (PortChannel != 0) ChannelClose(PortChannel, 0);
}
}  // namespace

LRESULT CALLBACK MainDialogCallback(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG)
    OnInitDialog();
  else if (message == WM_TIMER)
    OnTimer();
  else if (message == WM_DESTROY)
    OnDestroy();
  return 0;
}

}  // namespace qv::app
