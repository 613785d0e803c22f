#include "display_input.h"

#include <cstdio>
#include <cstdlib>

namespace qv::testing {

bool Xdotool(const std::string& arguments) {
  std::wstring command = L"/usr/bin/xdotool " + std::wstring(arguments.begin(), arguments.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\usr\\bin\\xdotool", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  // A Unix program started this way has no process handle to wait on.
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
  return true;
}

Watchdog::Watchdog(DWORD seconds, const char* what) : ms_(seconds * 1000), what_(what) {
  done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

Watchdog::~Watchdog() {
  SetEvent(done_);
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  CloseHandle(done_);
}

DWORD WINAPI Watchdog::Run(void* self) {
  auto* watchdog = static_cast<Watchdog*>(self);
  if (WaitForSingleObject(watchdog->done_, watchdog->ms_) == WAIT_TIMEOUT) {
    std::fprintf(stderr, "watchdog: %s did not finish in time\n", watchdog->what_);
    std::fflush(stderr);
    ExitProcess(3);
  }
  return 0;
}

}  // namespace qv::testing
