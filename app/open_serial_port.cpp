#include "app_state.h"
#include "channel_open.h"
#include "channel_close.h"
#include "channel_set.h"
#include "channel_table.h"
#include "command_args.h"
#include "error.h"
#include "float_integer.h"
#include "frame.h"
#include "string_ops.h"
#include "text_case.h"
#include "compare_text.h"
#include "find_text.h"
#include "text_after.h"
#include "text_literal.h"
#include "text_to_number.h"
#include "trims.h"
#include "tokens.h"

namespace qv::app {

namespace {
constexpr int32_t kDefaultBaudRate = 115200;
constexpr int32_t kReceiveQueueBytes = 20000;
constexpr int32_t kRecordLength = 512;
constexpr int32_t kItemBaudRate = 1, kItemBreak = 2, kItemQueueSizes = 19;

// A setting failed after a successful open: give the port back at once, so that it does not
// stay locked, exclusively and unreachably, until the tool exits.
int32_t ReleasePortAfterFailedSetting() {
  ChannelClose(PortChannel, 0);
  PortChannel = 0;
  return 0;
}
}  // namespace

int32_t OpenSerialPort() {
  ProcedureFrame frame;
  DynString token;
  static constexpr auto kDefaultPort = Text("COM3");
  static constexpr auto kEmpty = WideText(u"");
  static constexpr auto kBlank = WideText(u" ");
  static constexpr auto kPort = Text("PORT");
  static constexpr auto kBaud = Text("BAUD");
  static constexpr auto kEquals = Text("=");

  BaudRate = kDefaultBaudRate;
  PushText(kDefaultPort);
  AssignText(PortName);

  CommandTail(0);
  PushText(kEmpty);
  if (CompareText() != 0) {
    CommandTail(0);
    PushText(kBlank);
    const int32_t count = TokenCount();
    for (int32_t k = 1; k <= count; ++k) {
      CommandTail(0);
      PushText(kBlank);
      TokenField(k);
      UpperCase();
      ToAnsi();
      AssignText(token);

      PushText(token);
      PushText(kPort);
      if (FindText(1) != 0) {
        PushText(token);
        PushText(kEquals);
        TextAfter(1);
        TrimLeadingSpaces();
        TrimTrailingSpaces();
        AssignText(PortName);
      }
      PushText(token);
      PushText(kBaud);
      if (FindText(1) != 0) {
        PushText(token);
        PushText(kEquals);
        TextAfter(1);
        BaudRate = FloatToInteger(TextToNumber(1));
      }
    }
  }

  PortChannel = ChannelNextFree();
  PushText(PortName);
  ToWide();
  ChannelOpen(PortChannel, kOpenModeSerialExclusive, kRecordLength);
  if (ErrorNumber() != 0) {
    PortChannel = 0;
    return 0;
  }
  ChannelSet(PortChannel, kItemBaudRate, BaudRate);
  if (ErrorNumber() != 0) return ReleasePortAfterFailedSetting();
  ChannelSet(PortChannel, kItemQueueSizes, kReceiveQueueBytes);
  if (ErrorNumber() != 0) return ReleasePortAfterFailedSetting();
  ChannelSet(PortChannel, kItemBreak, 0);
  if (ErrorNumber() != 0) return ReleasePortAfterFailedSetting();
  return 1;
}

}  // namespace qv::app
