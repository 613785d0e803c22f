#include "display_input.h"

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

bool WaitPumping(const std::function<bool()>& condition, DWORD ms) {
  return WaitUntil(
      [&] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
          TranslateMessage(&message);
          DispatchMessageW(&message);
        }
        return condition();
      },
      ms);
}

}  // namespace qv::testing
