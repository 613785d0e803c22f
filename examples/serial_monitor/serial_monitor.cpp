// serial_monitor PORT [BAUD] [BURSTS]
//
// Opens a serial port (COM5, or \\.\COM12 above COM9) at BAUD (115200) and prints every burst
// it receives as lines of hex, 16 bytes a line. A burst is what has arrived once the port's
// receive queue stops growing for one poll (250 ms). It ends after BURSTS bursts (0: never,
// the default) or when the line fails.
#include <quorvex/quorvex.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int32_t kItemBaudRate = 1, kItemQueueSizes = 19, kItemBytesWaiting = 20;
constexpr int32_t kRecordLength = 512;       // the channel's read-ahead buffer
constexpr int32_t kQueueBytes = 20000;       // the longest burst that arrives whole
constexpr DWORD kPollMs = 250;

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// A whole number from an argument, or `fallback` when there is none.
int32_t NumberArgument(const char16_t* tail, int32_t n, int32_t fallback) {
  const std::u16string_view text = qv::CommandArgument(tail, n);
  return text.empty() ? fallback : qv::FloatToInteger(qv::ParseNumber(Narrow(text)));
}

void PrintBurst(int32_t number, const qv::DynString& burst) {
  const std::string_view bytes = burst.view();
  std::printf("burst %d: %zu bytes\n", number, bytes.size());
  for (size_t at = 0; at < bytes.size(); at += 16) {
    std::printf("%04zx ", at);
    for (size_t k = at; k < at + 16 && k < bytes.size(); ++k)
      std::printf(" %02x", static_cast<unsigned char>(bytes[k]));
    std::printf("\n");
  }
  std::fflush(stdout);
}

int32_t MonitorMain(void*, void*, const char16_t* tail, int32_t) {
  qv::ProcedureFrame frame;  // this routine's operand stack and error number
  const std::u16string port(qv::CommandArgument(tail, 1));
  const int32_t baud = NumberArgument(tail, 2, 115200);
  const int32_t bursts = NumberArgument(tail, 3, 0);
  if (port.empty()) {
    std::fprintf(stderr, "usage: serial_monitor PORT [BAUD] [BURSTS]\n");
    return 2;
  }

  const qv::ChannelNumber channel = qv::ChannelNextFree();
  qv::PushOwned(qv::DynString::FromUnits(port));
  qv::ChannelOpen(channel, qv::kOpenModeSerialExclusive, kRecordLength);
  if (qv::ErrorNumber() != 0) {
    std::fprintf(stderr, "serial_monitor: %s cannot be opened (error %d)\n", Narrow(port).c_str(),
                 qv::ErrorNumber());
    return 1;
  }
  qv::ChannelSet(channel, kItemBaudRate, baud);
  qv::ChannelSet(channel, kItemQueueSizes, kQueueBytes);
  if (qv::ErrorNumber() != 0) {
    std::fprintf(stderr, "serial_monitor: %s refuses the settings (error %d)\n", Narrow(port).c_str(),
                 qv::ErrorNumber());
    qv::ChannelClose(channel, 0);
    return 1;
  }
  std::printf("serial_monitor: %s open at %d baud\n", Narrow(port).c_str(), baud);
  std::fflush(stdout);

  int32_t result = 0, received = 0, last_count = 0;
  while (bursts == 0 || received < bursts) {
    Sleep(kPollMs);
    const int32_t count = qv::ChannelQuery(kItemBytesWaiting, channel);
    if (qv::ErrorNumber() != 0) {
      std::fprintf(stderr, "serial_monitor: the line failed (error %d)\n", qv::ErrorNumber());
      result = 1;
      break;
    }
    if (count > 0 && count == last_count) {  // the queue stopped growing: the burst is whole
      qv::ChannelReceive(channel, count);
      const qv::DynString burst = qv::PopText();
      if (qv::ErrorNumber() != 0) {
        std::fprintf(stderr, "serial_monitor: receive failed (error %d)\n", qv::ErrorNumber());
        result = 1;
        break;
      }
      PrintBurst(++received, burst);
      last_count = 0;
    } else {
      last_count = count;
    }
  }
  qv::ChannelClose(channel, 0);
  return result;
}

}  // namespace

int wmain() {
  qv::Program program;
  program.main_routine = MonitorMain;
  qv::StartUp(program);  // calls MonitorMain and ends the process with its result
}
