#include "display_input.h"

#include "unix_program.h"

namespace qv::testing {

bool Xdotool(const std::string& arguments) {
  return StartUnixProgram("/usr/bin/xdotool", L"/usr/bin/xdotool " + std::wstring(arguments.begin(), arguments.end()));
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
