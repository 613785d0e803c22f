// Echo of a serial line, for tools/bench/serial_latency.py, which times each byte from its
// write into the device to its echo:
//   serial_latency_bench.exe channel COMn   through a run-time channel (under Wine: the receive
//                                           queue and its drain), polling the queue count
//   serial_latency_bench.exe direct COMn    the cheapest path that does the same work: the
//                                           device read directly, a read ending at its first byte
// A 0xFF byte ends the echo.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "error.h"
#include "frame.h"
#include "serial.h"
#include "string_ops.h"
#include "win32/startup.h"

namespace {

std::string g_mode, g_port;

bool EndsEcho(const std::string& bytes) { return bytes.find('\xFF') != std::string::npos; }

int32_t Channel() {
  using namespace qv;
  ProcedureFrame frame;
  const ChannelNumber n = ChannelNextFree();
  PushOwned(DynString::FromUnits(std::u16string(g_port.begin(), g_port.end())));
  ChannelOpen(n, kOpenModeSerialExclusive, kSerialRecordLength);
  if (ErrorTake() != 0) return 1;
  ChannelSet(n, kItemReceiveQueue, 20000);
  for (;;) {
    const int32_t waiting = ChannelQuery(kItemBytesWaiting, n);
    if (ErrorTake() != 0) return 1;
    if (waiting == 0) {
      SwitchToThread();
      continue;
    }
    ChannelReceive(n, waiting);
    const std::string got = PopText().str();
    PushOwned(DynString::FromBytes(got));
    ChannelSend(n);
    if (EndsEcho(got)) break;
  }
  ChannelClose(n, 0);
  return 0;
}

int32_t Direct() {
  const std::wstring name(g_port.begin(), g_port.end());
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  COMMTIMEOUTS timeouts{1, 0, 200, 0, 0};
  SetCommTimeouts(h, &timeouts);
  char buffer[4096];
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &got, nullptr)) break;
    if (got == 0) continue;
    WriteFile(h, buffer, got, &put, nullptr);
    if (EndsEcho(std::string(buffer, got))) break;
  }
  CloseHandle(h);
  return 0;
}

int32_t Main(void*, void*, const char16_t*, int32_t) { return g_mode == "direct" ? Direct() : Channel(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: serial_latency_bench channel|direct COMn\n");
    return 2;
  }
  g_mode = argv[1];
  g_port = argv[2];
  qv::Program program;
  program.main_routine = Main;
  qv::StartUp(program);
}
